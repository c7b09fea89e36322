#include "dialog_focus.h"

#include "click_label.h"

#include <QKeyEvent>
#include <QPainter>
#include <QVariant>
#include <QWidget>

namespace
{
// The dialog's property that leads its accessible reading to the focus.
constexpr char FocusProperty[] = "kelvaneDialogFocus";
} // namespace

DialogFocus::DialogFocus(QWidget *dialog) : dialog(dialog)
{
    dialog->setProperty(FocusProperty, QVariant::fromValue(static_cast<void *>(this)));
}

// The dialog outlives its members by its own destructor: no reading may reach a gone focus.
DialogFocus::~DialogFocus()
{
    dialog->setProperty(FocusProperty, QVariant());
}

const DialogFocus *DialogFocus::Of(const QObject *dialog)
{
    const QVariant focus = dialog != nullptr ? dialog->property(FocusProperty) : QVariant();
    return focus.isValid() ? static_cast<const DialogFocus *>(focus.value<void *>()) : nullptr;
}

bool DialogFocus::Key(QKeyEvent *event)
{
    if (stops.empty()) return false;
    const int count = static_cast<int>(stops.size());
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    switch (event->key()) {
    case Qt::Key_Tab:
        if (modifiers == Qt::NoModifier) {
            MoveTo(current < 0 ? 0 : (current + 1) % count);
            return true;
        }
        // Shift+Tab arrives as Backtab on most keyboards, as Shift+Tab on some.
        if (modifiers != Qt::ShiftModifier) return false;
        [[fallthrough]];
    case Qt::Key_Backtab:
        MoveTo(current < 0 ? count - 1 : (current + count - 1) % count);
        return true;
    case Qt::Key_Space:
        if (current >= 0 && stops[current].Press && modifiers == Qt::NoModifier &&
            !event->isAutoRepeat()) {
            stops[current].Press();
            if (stops[current].Checked) Announce(current, QAccessible::StateChanged);
        }
        return current >= 0;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (current >= 0 && stops[current].Step && modifiers == Qt::NoModifier) {
            stops[current].Step(event->key() == Qt::Key_Up ? 1 : -1);
            Announce(current, QAccessible::NameChanged);
        }
        return current >= 0;
    default:
        return false;
    }
}

void DialogFocus::MoveTo(int index)
{
    if (current >= 0) dialog->update(FocusFrameArea(stops[current].Around));
    current = index;
    dialog->update(FocusFrameArea(stops[current].Around));
    Announce(current, QAccessible::Focus);
}

void DialogFocus::Reset()
{
    if (current >= 0) dialog->update(FocusFrameArea(stops[current].Around));
    current = -1;
}

void DialogFocus::Paint(QPainter &painter) const
{
    if (current >= 0) DrawFocusFrame(painter, stops[current].Around);
}

QString DialogFocus::Current() const
{
    return current >= 0 ? stops[current].Name : QString();
}

QString DialogFocus::Reading(int index) const
{
    const Stop &stop = stops[index];
    return stop.Value ? stop.Name + ": " + stop.Value() : stop.Name;
}

void DialogFocus::Announce(int index, QAccessible::Event event) const
{
    if (!QAccessible::isActive()) return;
    QAccessibleInterface *whole = QAccessible::queryAccessibleInterface(dialog);
    QAccessibleInterface *stop = whole != nullptr ? whole->child(index) : nullptr;
    if (stop == nullptr) return;
    if (event == QAccessible::StateChanged) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent announced(stop, changed);
        QAccessible::updateAccessibility(&announced);
        return;
    }
    QAccessibleEvent announced(stop, event);
    QAccessible::updateAccessibility(&announced);
}
