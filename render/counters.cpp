#include "counters.h"

#include "display_scale.h"
#include "field_geometry.h"
#include "frame.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace
{
const QColor Navy(0, 0, 128);

// The box's size in layout pixels; the image may hold more device pixels.
QSize LayoutSize(const QImage &image)
{
    return image.deviceIndependentSize().toSize();
}

void StartBox(QPainter &painter, QImage &image, const QImage &background, QPoint boxPosition)
{
    const int scale = static_cast<int>(image.devicePixelRatio());
    painter.drawImage(QPoint(0, 0), background, QRect(boxPosition * scale, image.size()));
    DrawFrame(painter, QRect(QPoint(0, 0), LayoutSize(image)), Navy);
    painter.setPen(Navy); // the text's colour
    painter.setBrush(Qt::NoBrush);
}
} // namespace

QString MinesLeftText(int32_t count)
{
    return count >= 0 ? QString::number(count) : QString();
}

QString TimeText(float seconds)
{
    return std::signbit(seconds) ? QString() : QString::number(double(seconds), 'f', 1);
}

QFont CounterFont()
{
    QFont font;
    font.setPixelSize(PixelsForPoints(12));
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void DrawCounter(QImage &image, const QImage &background, QPoint boxPosition, const QString &text)
{
    QPainter painter(&image);
    StartBox(painter, image, background, boxPosition);
    if (text.isEmpty()) return;
    painter.setFont(CounterFont());
    const QFontMetrics metrics = painter.fontMetrics();
    const int w = metrics.horizontalAdvance(text), h = metrics.height();
    const QSize box = LayoutSize(image);
    const int dx = (box.width() - w + 1) >> 1, dy = (box.height() - h + 1) >> 1;
    painter.drawText(dx, dy + metrics.ascent(), text);
}

void DrawProgressBar(QImage &image, const QImage &background, QPoint boxPosition, int32_t percent)
{
    QPainter painter(&image);
    StartBox(painter, image, background, boxPosition);
    if (percent == 0) return;
    const float f = static_cast<float>(percent) * 0.01f;
    const QSize box = LayoutSize(image);
    const int32_t length = RoundHalfEven(static_cast<float>(box.width()) * f);
    if (length > 0) painter.fillRect(0, 0, std::min(length, box.width()), box.height(), Navy);
}
