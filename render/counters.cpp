#include "counters.h"

#include "field_geometry.h"

#include <QFontMetrics>
#include <QPainter>

#include <cmath>

namespace {
const QColor Navy(0, 0, 128);

void StartBox(QPainter &painter, QImage &image, const QImage &background, QPoint boxPosition)
{
    painter.drawImage(QPoint(0, 0), background, QRect(boxPosition, image.size()));
    painter.setPen(Navy);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, image.width() - 1, image.height() - 1);
}
} // namespace

QString MinesLeftText(int32_t count) { return count >= 0 ? QString::number(count) : QString(); }

QString TimeText(float seconds)
{
    return std::signbit(seconds) ? QString() : QString::number(double(seconds), 'f', 1);
}

QFont CounterFont()
{
    QFont font;
    font.setPointSize(12);
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void DrawCounter(QImage &image, const QImage &background, QPoint boxPosition, const QString &text)
{
    QPainter painter(&image);
    StartBox(painter, image, background, boxPosition);
    if (text.isEmpty())
        return;
    painter.setFont(CounterFont());
    const QFontMetrics metrics = painter.fontMetrics();
    const int w = metrics.horizontalAdvance(text), h = metrics.height();
    const int dx = (image.width() - w + 1) >> 1, dy = (image.height() - h + 1) >> 1;
    painter.drawText(dx, dy + metrics.ascent(), text);
}

void DrawProgressBar(QImage &image, const QImage &background, QPoint boxPosition, int32_t percent)
{
    QPainter painter(&image);
    StartBox(painter, image, background, boxPosition);
    if (percent == 0)
        return;
    const float f = static_cast<float>(percent) * 0.01f;
    const int32_t length = RoundHalfEven(static_cast<float>(image.width()) * f);
    if (length > 0)
        painter.fillRect(0, 0, std::min(length, image.width()), image.height(), Navy);
}
