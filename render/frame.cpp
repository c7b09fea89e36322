#include "frame.h"

void DrawFrame(QPainter &painter, const QRect &rect, const QColor &colour)
{
    if (rect.width() <= 0 || rect.height() <= 0) return;
    painter.fillRect(QRect(rect.left(), rect.top(), rect.width(), 1), colour);
    painter.fillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), colour);
    painter.fillRect(QRect(rect.left(), rect.top(), 1, rect.height()), colour);
    painter.fillRect(QRect(rect.right(), rect.top(), 1, rect.height()), colour);
}

Frame::Frame(QWidget *parent, QRect geometry) : QWidget(parent)
{
    setGeometry(geometry);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void Frame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    DrawFrame(painter, rect(), QColor(0, 0, 128));
}
