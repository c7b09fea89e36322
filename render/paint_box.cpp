#include "paint_box.h"

#include <QMouseEvent>
#include <QPainter>

PaintBox::PaintBox(QWidget *parent, QRect geometry) : QWidget(parent)
{
    setGeometry(geometry);
}

void PaintBox::Present(const QImage &image)
{
    Image = image; // shared until the drawing goes on, then copied once
    setAttribute(Qt::WA_OpaquePaintEvent, !Image.isNull());
    repaint();
}

void PaintBox::paintEvent(QPaintEvent *)
{
    if (Image.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), Image);
}

void PaintBox::mousePressEvent(QMouseEvent *event)
{
    DraggedOut = false;
    emit Pressed(event, false);
}

// The platform reports the second press of a pair as a double click.
void PaintBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    DraggedOut = false;
    emit Pressed(event, true);
}

void PaintBox::mouseReleaseEvent(QMouseEvent *event) { emit Released(event); }

// Moves arrive only while a button is held (no mouse tracking).
void PaintBox::mouseMoveEvent(QMouseEvent *event)
{
    const bool outside = !rect().contains(event->position().toPoint());
    if (outside && !DraggedOut)
        emit Left();
    DraggedOut = outside;
}

void PaintBox::leaveEvent(QEvent *) { emit Left(); }
