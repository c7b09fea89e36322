// Parts of a widget that assistive technology reads as items of their own (a board's
// sectors, a dialog's drawn controls), made on first use and kept while their owner lives.
#pragma once

#include <QAccessible>

#include <functional>
#include <map>

// An item with no object and no parts of its own.
class AccessibleLeaf : public QAccessibleInterface
{
  public:
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    void setText(QAccessible::Text, const QString &) override {}
};

// The leaves of one owner by index; Qt holds them as registered interfaces.
class AccessibleLeaves
{
  public:
    AccessibleLeaves() = default;
    AccessibleLeaves(const AccessibleLeaves &) = delete;
    AccessibleLeaves &operator=(const AccessibleLeaves &) = delete;
    ~AccessibleLeaves()
    {
        for (const auto &[index, id] : Ids)
            QAccessible::deleteAccessibleInterface(id);
    }

    // The leaf at the index, made by make() the first time.
    QAccessibleInterface *At(int index, const std::function<AccessibleLeaf *()> &make)
    {
        auto found = Ids.find(index);
        if (found == Ids.end())
            found = Ids.emplace(index, QAccessible::registerAccessibleInterface(make())).first;
        return QAccessible::accessibleInterface(found->second);
    }
    // The index of a leaf made here, or -1.
    int IndexOf(const QAccessibleInterface *leaf) const
    {
        for (const auto &[index, id] : Ids)
            if (QAccessible::accessibleInterface(id) == leaf) return index;
        return -1;
    }

  private:
    std::map<int, QAccessible::Id> Ids;
};
