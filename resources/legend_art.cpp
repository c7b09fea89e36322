#include "legend_art.h"

#include "artwork.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>
#include <vector>

namespace
{
const QRgb Black = qRgb(0, 0, 0);
const QRgb Cream = qRgb(255, 251, 240);
const QRgb Grey = qRgb(128, 128, 144);
const QRgb Yellow = qRgb(255, 255, 128);
const QRgb DarkGrey = qRgb(34, 34, 34);
const QRgb Red = qRgb(255, 0, 0);
const QRgb Blue = qRgb(0, 0, 192);

constexpr int SampleTop(int sample)
{
    return 1 + sample * 17;
}

// What each sample shows, in caption order.
enum class Mark { None, Probability, Marker, Digit, Triggered, WrongMarker, Mine };
struct Sample {
    QRgb Fill, Outline;
    Mark Shows;
};
const Sample Samples[9] = {{Grey, Black, Mark::None},        {Yellow, Black, Mark::None},
                           {Grey, Black, Mark::Probability}, {Grey, Black, Mark::Marker},
                           {Cream, DarkGrey, Mark::None},    {Cream, DarkGrey, Mark::Digit},
                           {Red, Black, Mark::Triggered},    {Grey, Black, Mark::WrongMarker},
                           {Grey, Black, Mark::Mine}};

// Bold letters in pixels, crisp at the legend's own size.
const std::vector<const char *> LetterX = {
    "##......##", //
    ".##....##.", //
    "..##..##..", //
    "...####...", //
    "...####...", //
    "..##..##..", //
    ".##....##.", //
    "##......##", //
};
const std::vector<const char *> DigitOne = {
    ".##.", //
    "###.", //
    ".##.", //
    ".##.", //
    ".##.", //
    ".##.", //
    ".##.", //
    "####", //
};
const std::vector<const char *> TinyProbability = {
    ".#....#...#.", //
    "##...#.#.#.#", //
    ".#...#.#.#.#", //
    ".#...#.#.#.#", //
    ".#.#..#...#.", //
};

void PutPixels(QImage &image, int left, int top, const std::vector<const char *> &rows, QRgb ink)
{
    for (int y = 0; y < int(rows.size()); ++y)
        for (int x = 0; rows[y][x] != '\0'; ++x)
            if (rows[y][x] == '#') image.setPixel(left + x, top + y, ink);
}

// The pixel picture, as shipped.
QImage PixelLegend()
{
    QImage image(16, 154, QImage::Format_RGB32);
    image.fill(ArtworkKeyColor);
    for (int i = 0; i < 9; ++i) {
        const Sample &s = Samples[i];
        const int top = SampleTop(i);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool edge = x == 0 || y == 0 || x == 15 || y == 15;
                image.setPixel(x, top + y, edge ? s.Outline : s.Fill);
            }
        switch (s.Shows) {
        case Mark::Probability:
            PutPixels(image, 2, top + 5, TinyProbability, Red);
            break;
        case Mark::Marker:
            PutPixels(image, 3, top + 4, LetterX, Yellow);
            break;
        case Mark::Digit:
            PutPixels(image, 6, top + 4, DigitOne, Blue);
            break;
        case Mark::Triggered:
        case Mark::Mine:
            PutPixels(image, 3, top + 4, LetterX, Black);
            break;
        case Mark::WrongMarker:
            PutPixels(image, 3, top + 4, LetterX, Yellow);
            for (int y = top + 7; y <= top + 8; ++y)
                for (int x = 3; x <= 12; ++x)
                    image.setPixel(x, y, Red);
            break;
        case Mark::None:
            break;
        }
    }
    return image;
}

// The bold X of the pixel picture (10 x 8 pixels from (3, 4)) as two strokes.
void DrawX(QPainter &painter, int top, QRgb ink)
{
    painter.setPen(QPen(QColor(ink), 1.7, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(3.6, top + 4.4), QPointF(12.4, top + 11.6));
    painter.drawLine(QPointF(12.4, top + 4.4), QPointF(3.6, top + 11.6));
}

// `text` in the default sans face at `pixels` layout pixels, its digits' height centred on
// `middle`.
void DrawDigits(QPainter &painter, const QString &text, int pixels, bool bold, qreal middle,
                QRgb ink)
{
    QFont font("Liberation Sans");
    font.setPixelSize(pixels);
    font.setBold(bold);
    painter.setFont(font);
    painter.setPen(QColor(ink));
    const QFontMetricsF metrics(font);
    const QRectF digits = metrics.tightBoundingRect(text);
    painter.drawText(QPointF(8.0 - digits.center().x(), middle - digits.center().y()), text);
}
} // namespace

QImage DrawLegend(int32_t scale)
{
    if (scale <= 1) return PixelLegend();
    QImage image(16 * scale, 154 * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(ArtworkKeyColor);
    QPainter painter(&image);
    for (int i = 0; i < 9; ++i) {
        const Sample &s = Samples[i];
        const int top = SampleTop(i);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.fillRect(QRect(0, top, 16, 16), QColor(s.Outline));
        painter.fillRect(QRect(1, top + 1, 14, 14), QColor(s.Fill));
        painter.setRenderHint(QPainter::Antialiasing, true);
        switch (s.Shows) {
        case Mark::Probability:
            DrawDigits(painter, "1.00", 7, false, top + 7.5, Red);
            break;
        case Mark::Marker:
            DrawX(painter, top, Yellow);
            break;
        case Mark::Digit:
            DrawDigits(painter, "1", 11, true, top + 8.0, Blue);
            break;
        case Mark::Triggered:
        case Mark::Mine:
            DrawX(painter, top, Black);
            break;
        case Mark::WrongMarker:
            DrawX(painter, top, Yellow);
            painter.fillRect(QRect(3, top + 7, 10, 2), QColor(Red));
            break;
        case Mark::None:
            break;
        }
    }
    return image;
}
