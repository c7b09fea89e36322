#include "accessible_leaf.h"
#include "dialog_focus.h"

#include <QAccessibleWidget>
#include <QWidget>

#include <algorithm>

namespace
{

class DialogReading;

// One drawn control of a dialog; it lives as long as the dialog's interface.
class DialogControl : public AccessibleLeaf, public QAccessibleActionInterface
{
  public:
    DialogControl(DialogReading *dialog, int index) : Dialog(dialog), Index(index) {}

    bool isValid() const override;
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }

    QStringList actionNames() const override;
    void doAction(const QString &action) override;
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

  private:
    const DialogFocus::Stop *Stop() const;

    DialogReading *Dialog;
    int Index;
};

// A dialog: its drawn controls first, then its other parts (the labels) as Qt reads them.
class DialogReading : public QAccessibleWidget
{
  public:
    explicit DialogReading(QWidget *dialog) : QAccessibleWidget(dialog, QAccessible::Dialog) {}

    const DialogFocus *Focus() const { return DialogFocus::Of(widget()); }
    int Stops() const { return Focus() != nullptr ? static_cast<int>(Focus()->Stops().size()) : 0; }

    QAccessibleInterface *Control(int index) const
    {
        if (index < 0 || index >= Stops()) return nullptr;
        return Controls.At(index, [this, index] {
            return new DialogControl(const_cast<DialogReading *>(this), index);
        });
    }

    // The dialog's other parts that tell something of their own: not the captions the
    // controls already read with, not the unnamed pictures and frames.
    QList<QAccessibleInterface *> Parts() const
    {
        QStringList controls;
        for (int i = 0; i < Stops(); ++i)
            controls << Focus()->Reading(i);
        QList<QAccessibleInterface *> parts;
        QStringList names;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
            QAccessibleInterface *part = QAccessibleWidget::child(i);
            if (part == nullptr) continue;
            QString name = part->text(QAccessible::Name).trimmed();
            if (name.endsWith(':')) name.chop(1);
            const bool told = std::any_of(controls.begin(), controls.end(), [&](const QString &c) {
                return c == name || c.startsWith(name + ":");
            });
            if (name.isEmpty() ? part->childCount() == 0 : told || names.contains(name)) continue;
            names << name;
            parts << part;
        }
        return parts;
    }

    int childCount() const override { return Stops() + int(Parts().size()); }
    QAccessibleInterface *child(int index) const override
    {
        if (index < Stops()) return Control(index);
        const QList<QAccessibleInterface *> parts = Parts();
        return index - Stops() < parts.size() ? parts[index - Stops()] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (const int control = Controls.IndexOf(child); control >= 0) return control;
        const int part = int(Parts().indexOf(const_cast<QAccessibleInterface *>(child)));
        return part < 0 ? -1 : Stops() + part;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        if (const DialogFocus *focus = Focus()) {
            const QPoint at = widget()->mapFromGlobal(QPoint(x, y));
            for (int i = 0; i < Stops(); ++i)
                if (focus->Stops()[i].Around.contains(at)) return Control(i);
        }
        QAccessibleInterface *part = QAccessibleWidget::childAt(x, y);
        return Parts().contains(part) ? part : nullptr;
    }
    QAccessibleInterface *focusChild() const override
    {
        const DialogFocus *focus = Focus();
        if (focus != nullptr && focus->CurrentIndex() >= 0 && widget()->isActiveWindow())
            return Control(focus->CurrentIndex());
        return QAccessibleWidget::focusChild();
    }

    bool HasStop(int index) const { return isValid() && index >= 0 && index < Stops(); }

  private:
    mutable AccessibleLeaves Controls;
};

bool DialogControl::isValid() const
{
    return Dialog->HasStop(Index);
}

QWindow *DialogControl::window() const
{
    return Dialog->window();
}

QAccessibleInterface *DialogControl::parent() const
{
    return Dialog;
}

const DialogFocus::Stop *DialogControl::Stop() const
{
    return isValid() ? &Dialog->Focus()->Stops()[Index] : nullptr;
}

QString DialogControl::text(QAccessible::Text t) const
{
    const DialogFocus::Stop *stop = Stop();
    if (stop == nullptr) return QString();
    if (t == QAccessible::Name) return Dialog->Focus()->Reading(Index);
    if (t == QAccessible::Value && stop->Value) return stop->Value();
    return QString();
}

QRect DialogControl::rect() const
{
    const DialogFocus::Stop *stop = Stop();
    if (stop == nullptr) return QRect();
    return QRect(Dialog->Focus()->Dialog()->mapToGlobal(stop->Around.topLeft()),
                 stop->Around.size());
}

QAccessible::Role DialogControl::role() const
{
    const DialogFocus::Stop *stop = Stop();
    return stop != nullptr ? stop->Role : QAccessible::NoRole;
}

QAccessible::State DialogControl::state() const
{
    QAccessible::State state;
    const DialogFocus::Stop *stop = Stop();
    if (stop == nullptr) {
        state.invalid = true;
        return state;
    }
    state.focusable = true;
    state.focused =
        Dialog->Focus()->CurrentIndex() == Index && Dialog->Focus()->Dialog()->isActiveWindow();
    if (stop->Checked) {
        state.checkable = true;
        state.checked = stop->Checked();
    }
    if (stop->Enabled && !stop->Enabled()) state.disabled = true;
    return state;
}

QStringList DialogControl::actionNames() const
{
    const DialogFocus::Stop *stop = Stop();
    QStringList names;
    if (stop != nullptr && stop->Press) names << (stop->Checked ? toggleAction() : pressAction());
    if (stop != nullptr && stop->Step) names << increaseAction() << decreaseAction();
    return names;
}

void DialogControl::doAction(const QString &action)
{
    const DialogFocus::Stop *stop = Stop();
    if (stop == nullptr) return;
    if (stop->Press && (action == pressAction() || action == toggleAction()))
        stop->Press();
    else if (stop->Step && action == increaseAction())
        stop->Step(1);
    else if (stop->Step && action == decreaseAction())
        stop->Step(-1);
}

QAccessibleInterface *Factory(const QString &, QObject *object)
{
    if (object->isWidgetType() && DialogFocus::Of(object) != nullptr)
        return new DialogReading(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

void InstallDialogAccessibility()
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(Factory);
        installed = true;
    }
}
