#include "click_label.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace
{
const QColor Navy(0, 0, 128);
const QColor Purple(128, 0, 128);
} // namespace

ClickLabel::ClickLabel(const QString &text, QWidget *parent, HoverLook look)
    : QLabel(text, parent), Look(look)
{
    setCursor(Qt::PointingHandCursor);
    SetColour(Navy);
}

void ClickLabel::SetColour(const QColor &colour)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, colour);
    setPalette(palette);
}

void ClickLabel::ShowNormalLook()
{
    SetColour(Navy);
    if (Look == HoverLook::Underline) {
        QFont plain = font();
        plain.setBold(false);
        plain.setItalic(false);
        plain.setUnderline(false);
        plain.setStrikeOut(false);
        setFont(plain);
    }
}

void ClickLabel::enterEvent(QEnterEvent *)
{
    if (Look == HoverLook::None || !isEnabled()) return;
    SetColour(Purple);
    if (Look == HoverLook::Underline) {
        QFont underlined = font();
        underlined.setBold(false);
        underlined.setItalic(false);
        underlined.setStrikeOut(false);
        underlined.setUnderline(true);
        setFont(underlined);
    }
}

void ClickLabel::leaveEvent(QEvent *)
{
    if (Look == HoverLook::None || !isEnabled()) return;
    ShowNormalLook();
}

void ClickLabel::mousePressEvent(QMouseEvent *event)
{
    PressedInside = event->button() == Qt::LeftButton;
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    const bool click = PressedInside && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    PressedInside = false;
    if (click) emit Clicked();
}

void ClickLabel::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) &&
        event->modifiers() == Qt::NoModifier) {
        event->accept();
        emit Clicked();
        return;
    }
    event->ignore();
}

void ClickLabel::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
}

void ClickLabel::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
}

QRect FocusFrameArea(const QRect &widget)
{
    return widget.adjusted(-3, -2, 3, 2);
}

void DrawFocusFrame(QPainter &painter, const QRect &widget)
{
    const QRect ring = FocusFrameArea(widget);
    painter.save();
    painter.setClipRegion(QRegion(ring).subtracted(ring.adjusted(1, 1, -1, -1)));
    painter.fillRect(ring, Purple);
    painter.restore();
}
