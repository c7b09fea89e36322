#include "paint_box.h"

#include <QMouseEvent>
#include <QPainter>

PaintBox::PaintBox(QWidget *parent, QRect geometry, const QImage *image)
    : QWidget(parent), Image(image)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_OpaquePaintEvent, image != nullptr);
}

void PaintBox::SetImage(const QImage *image)
{
    Image = image;
    update();
}

void PaintBox::paintEvent(QPaintEvent *)
{
    if (Image == nullptr)
        return;
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), *Image);
}

void PaintBox::mousePressEvent(QMouseEvent *event) { emit Pressed(event, false); }

// The platform reports the second press of a pair as a double click.
void PaintBox::mouseDoubleClickEvent(QMouseEvent *event) { emit Pressed(event, true); }

void PaintBox::mouseReleaseEvent(QMouseEvent *event) { emit Released(event); }

void PaintBox::leaveEvent(QEvent *) { emit Left(); }
