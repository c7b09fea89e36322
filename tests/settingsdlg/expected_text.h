// What a text image should hold, worked out from the drawing rules: a navy outline over the
// whole image on cream, the text in navy in the surface's default face, vertically in the
// middle, and centred (2), right-aligned 3 pixels in (1) or 2 pixels from the left (other).
#pragma once

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

inline QImage ExpectedTextImage(QSize size, int align, const QString &text)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(qRgb(255, 251, 240));
    QPainter painter(&image);
    painter.setPen(QColor(0, 0, 128));
    painter.drawRect(0, 0, size.width() - 1, size.height() - 1);
    const QFontMetrics metrics = painter.fontMetrics();
    const int width = metrics.horizontalAdvance(text);
    const int x = align == 2   ? (size.width() - width) >> 1
                  : align == 1 ? size.width() - width - 3
                               : 2;
    const int y = (size.height() - metrics.height()) >> 1;
    if (!text.isEmpty()) painter.drawText(x, y + metrics.ascent(), text);
    return image;
}

// Same pixels, whatever the storage format.
inline bool SamePixels(const QImage &a, const QImage &b)
{
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}
