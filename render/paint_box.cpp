#include "paint_box.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cstring>

PaintBox::PaintBox(QWidget *parent, QRect geometry) : QWidget(parent)
{
    setGeometry(geometry);
}

void PaintBox::Present(const QImage &image)
{
    Present(image, QRect(QPoint(0, 0), image.deviceIndependentSize().toSize()));
}

void PaintBox::Present(const QImage &image, const QRect &changed)
{
    const bool sameShape = !Image.isNull() && Image.size() == image.size() &&
                           Image.format() == image.format() &&
                           Image.devicePixelRatio() == image.devicePixelRatio();
    if (!sameShape) {
        // A copy of its own, never shared: drawing on into `image` copies nothing.
        Image = image.copy();
        setAttribute(Qt::WA_OpaquePaintEvent, !Image.isNull());
        repaint();
        return;
    }
    const int scale = static_cast<int>(image.devicePixelRatio());
    const QRect rows = QRect(changed.topLeft() * scale, changed.size() * scale)
                           .intersected(QRect(QPoint(0, 0), image.size()));
    if (rows.isEmpty()) return;
    const int depth = image.depth() / 8;
    for (int y = rows.top(); y <= rows.bottom(); ++y)
        std::memcpy(Image.scanLine(y) + rows.left() * depth,
                    image.constScanLine(y) + rows.left() * depth,
                    static_cast<size_t>(rows.width()) * depth);
    repaint(changed);
}

void PaintBox::ShowFrame(const QRect &around)
{
    if (around == FrameRect) return;
    const QRect old = FrameRect;
    FrameRect = around;
    if (!old.isNull()) repaint(old);
    if (!FrameRect.isNull()) repaint(FrameRect);
}

// Black outside, yellow inside: it stands out on the light and the dark textures alike.
static void DrawCursorFrame(QPainter &painter, const QRect &around)
{
    painter.fillRect(around, Qt::black);
    painter.fillRect(around.adjusted(1, 1, -1, -1), QColor(255, 230, 0));
    painter.fillRect(around.adjusted(3, 3, -3, -3), Qt::black);
}

void PaintBox::paintEvent(QPaintEvent *event)
{
    if (Image.isNull()) return;
    QPainter painter(this);
    const QRect area = event->rect();
    const int scale = static_cast<int>(Image.devicePixelRatio());
    painter.drawImage(area.topLeft(), Image, QRect(area.topLeft() * scale, area.size() * scale));
    if (!FrameRect.isNull() && FrameRect.intersects(area)) {
        // Only the ring is drawn over the picture; the sector inside stays readable.
        painter.setClipRegion(QRegion(FrameRect).subtracted(FrameRect.adjusted(4, 4, -4, -4)) &
                              area);
        DrawCursorFrame(painter, FrameRect);
    }
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

void PaintBox::mouseReleaseEvent(QMouseEvent *event)
{
    emit Released(event);
}

// Moves arrive only while a button is held (no mouse tracking).
void PaintBox::mouseMoveEvent(QMouseEvent *event)
{
    const bool outside = !rect().contains(event->position().toPoint());
    if (outside && !DraggedOut) emit Left();
    DraggedOut = outside;
}

void PaintBox::leaveEvent(QEvent *)
{
    emit Left();
}
