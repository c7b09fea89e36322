#include "frame.h"

#include <QPainter>

Frame::Frame(QWidget *parent, QRect geometry) : QWidget(parent)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Frame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(QColor(0, 0, 128));
    painter.drawRect(0, 0, width() - 1, height() - 1);
}
