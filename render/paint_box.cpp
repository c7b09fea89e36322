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

void PaintBox::mousePressEvent(QMouseEvent *event) { emit Pressed(event, false); }

// The platform reports the second press of a pair as a double click.
void PaintBox::mouseDoubleClickEvent(QMouseEvent *event) { emit Pressed(event, true); }

void PaintBox::mouseReleaseEvent(QMouseEvent *event) { emit Released(event); }

void PaintBox::leaveEvent(QEvent *) { emit Left(); }
