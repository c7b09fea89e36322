#include "field_painter.h"

#include "display_scale.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
constexpr int BoardWidth = 769;
constexpr int BoardHeight = 601;

const QRgb NumberColours[9] = {qRgb(0, 0, 0),     qRgb(0, 0, 192),   qRgb(0, 192, 0),
                               qRgb(192, 0, 0),   qRgb(0, 0, 128),   qRgb(128, 0, 0),
                               qRgb(0, 192, 192), qRgb(0, 128, 128), qRgb(128, 128, 128)};
const QRgb MarkerColour = qRgb(255, 255, 128);
const QRgb HighlightColour = qRgb(255, 255, 128);
const QRgb FatalColour = qRgb(255, 0, 0);
} // namespace

QColor ProbabilityColour(float p)
{
    const float q = 1.0f + p;
    int32_t g = 255 - static_cast<int32_t>(std::floor(256.0f * (q - 1.0f)));
    if (g < 0) g = 0;
    if (g > 255) g = 255;
    return QColor(255, g, g);
}

QColor NumberColour(int32_t number)
{
    return QColor(NumberColours[number >= 0 && number <= 8 ? number : 0]);
}

FieldPainter::FieldPainter(int32_t scale)
    : bmpField(ScaledCanvas(QSize(BoardWidth, BoardHeight), scale)),
      bmpClosed(ScaledCanvas(QSize(1, 1), scale)), bmpOpen(ScaledCanvas(QSize(1, 1), scale)),
      ScaleFactor(std::max(scale, 1))
{
    bmpField.fill(Qt::black);
    Font.setFamily("Arial");
    Font.setBold(true);
    // Whole-pixel advances, so a text measures the same wherever it is drawn.
    Font.setHintingPreference(QFont::PreferFullHinting);
    SetFontSize(Geometry.LargeFontSize);
}

void FieldPainter::LayoutField(const FieldGeometry &geometry, const QImage &background,
                               QPoint boardOrigin)
{
    Geometry = geometry;
    SetFontSize(Geometry.LargeFontSize);

    const QRect under(boardOrigin + QPoint(Geometry.FieldLeft, Geometry.FieldTop),
                      QSize(Geometry.Width, Geometry.Height));
    bmpClosed = background.copy(QRect(under.topLeft() * ScaleFactor, under.size() * ScaleFactor))
                    .convertToFormat(QImage::Format_RGB32);
    bmpClosed.setDevicePixelRatio(ScaleFactor);
    bmpOpen = bmpClosed.copy();
    const int width = bmpClosed.width(), height = bmpClosed.height();
    for (int y = 0; y < height; ++y) {
        auto *closed = reinterpret_cast<uint8_t *>(bmpClosed.scanLine(y));
        auto *open = reinterpret_cast<uint8_t *>(bmpOpen.scanLine(y));
        for (int x = 0; x < width; ++x) {
            for (int channel = 0; channel < 3; ++channel) { // blue, green, red; not the 4th
                closed[x * 4 + channel] >>= 1;
                open[x * 4 + channel] = static_cast<uint8_t>((open[x * 4 + channel] >> 1) + 128);
            }
        }
    }
}

void FieldPainter::SetFontSize(int32_t points)
{
    if (points <= 0) return;
    FontPoints = points;
    Font.setPixelSize(PixelsForPoints(points));
}

void FieldPainter::RedrawField(const QImage &background, QPoint boardOrigin, int32_t sizeX,
                               int32_t sizeY)
{
    // Source rectangles in device pixels, so the images meet pixel for pixel.
    QPainter painter(&bmpField);
    painter.drawImage(QPoint(0, 0), background, QRect(boardOrigin * ScaleFactor, bmpField.size()));
    painter.drawImage(QPoint(Geometry.FieldLeft, Geometry.FieldTop), bmpClosed);
    painter.end();
    Touch(QRect(0, 0, BoardWidth, BoardHeight));
    DrawGrid(sizeX, sizeY);
}

QRect FieldPainter::TakeChanged()
{
    const QRect changed = Changed;
    Changed = QRect();
    return changed;
}

// One-pixel lines, each the layout pixels it covers, so a scaled grid stays whole blocks.
void FieldPainter::DrawGrid(int32_t sizeX, int32_t sizeY)
{
    const int32_t left = Geometry.FieldLeft, top = Geometry.FieldTop, cell = Geometry.CellSize;
    const QRgb black = qRgb(0, 0, 0);
    for (int32_t i = 0; i <= sizeX; ++i)
        FillLayoutRect(QRect(left + i * cell, top, 1, sizeY * cell + 1), black);
    for (int32_t j = 0; j <= sizeY; ++j)
        FillLayoutRect(QRect(left, top + j * cell, sizeX * cell + 1, 1), black);
}

QRect FieldPainter::Interior(int32_t c, int32_t r) const
{
    return QRect(Corner(c, r) + QPoint(1, 1), QSize(Geometry.CellSize - 1, Geometry.CellSize - 1));
}

void FieldPainter::FillLayoutRect(const QRect &rect, QRgb colour)
{
    Touch(rect);
    const int32_t s = ScaleFactor;
    const QRect device = QRect(rect.topLeft() * s, rect.size() * s)
                             .intersected(QRect(QPoint(0, 0), bmpField.size()));
    for (int32_t y = device.top(); y <= device.bottom(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(bmpField.scanLine(y));
        std::fill(line + device.left(), line + device.right() + 1, colour);
    }
}

QPoint FieldPainter::Corner(int32_t c, int32_t r) const
{
    return {Geometry.FieldLeft + c * Geometry.CellSize, Geometry.FieldTop + r * Geometry.CellSize};
}

void FieldPainter::CopyInterior(const QImage &texture, int32_t c, int32_t r)
{
    const int32_t s = ScaleFactor;
    const int32_t side = (Geometry.CellSize - 1) * s;
    const QPoint at = (Corner(c, r) + QPoint(1, 1)) * s;
    const int32_t sx = (c * Geometry.CellSize + 1) * s, sy = (r * Geometry.CellSize + 1) * s;
    if (at.x() < 0 || at.y() < 0 || at.x() + side > bmpField.width() ||
        at.y() + side > bmpField.height() || sx + side > texture.width() ||
        sy + side > texture.height())
        return;
    Touch(Interior(c, r));
    for (int32_t y = 0; y < side; ++y)
        std::memcpy(bmpField.scanLine(at.y() + y) + at.x() * 4,
                    texture.constScanLine(sy + y) + sx * 4, static_cast<size_t>(side) * 4);
}

void FieldPainter::FillInterior(int32_t c, int32_t r, QRgb colour)
{
    FillLayoutRect(Interior(c, r), colour);
}

const FieldPainter::PreparedText &FieldPainter::Prepared(const QString &text)
{
    const auto key = std::make_pair(Font.pixelSize(), text);
    auto found = TextCache.find(key);
    if (found != TextCache.end()) return found->second;
    // Measured at layout size, so the placement is the same at every scale; laid out once,
    // since a board shows the same few texts over and over.
    static const QImage layoutDevice(1, 1, QImage::Format_RGB32);
    const QFontMetrics metrics(Font, &layoutDevice);
    PreparedText prepared;
    prepared.Text = QStaticText(text);
    prepared.Text.setTextFormat(Qt::PlainText);
    prepared.Text.prepare(QTransform::fromScale(ScaleFactor, ScaleFactor), Font);
    prepared.Width = metrics.horizontalAdvance(text);
    prepared.Height = metrics.height();
    prepared.Ascent = metrics.ascent();
    return TextCache.emplace(key, std::move(prepared)).first->second;
}

void FieldPainter::DrawCentredText(int32_t c, int32_t r, const QString &text, const QColor &colour)
{
    const PreparedText &prepared = Prepared(text);
    QPainter painter(&bmpField);
    painter.setFont(Font);
    const QPoint corner = Corner(c, r);
    const int32_t dx = (Geometry.CellSize - prepared.Width + 1) >> 1;
    const int32_t dy = (Geometry.CellSize - prepared.Height + 1) >> 1;
    painter.setClipRect(Interior(c, r));
    painter.setPen(colour);
    Touch(Interior(c, r));
    painter.drawStaticText(corner.x() + dx, corner.y() + dy, prepared.Text);
}

void FieldPainter::DrawOpenSector(int32_t c, int32_t r, int32_t number)
{
    CopyInterior(bmpOpen, c, r);
    if (number > 0) DrawCentredText(c, r, QString::number(number), NumberColour(number));
}

void FieldPainter::DrawMarker(int32_t c, int32_t r)
{
    CopyInterior(bmpClosed, c, r);
    DrawCentredText(c, r, QStringLiteral("X"), QColor(MarkerColour));
}

void FieldPainter::DrawClosedSector(int32_t c, int32_t r, float p)
{
    CopyInterior(bmpClosed, c, r);
    if (std::signbit(p)) return;
    DrawCentredText(c, r, QString::number(static_cast<double>(p), 'f', 2), ProbabilityColour(p));
}

void FieldPainter::DrawBareClosedSector(int32_t c, int32_t r)
{
    CopyInterior(bmpClosed, c, r);
}

void FieldPainter::DrawPressedSector(int32_t c, int32_t r)
{
    CopyInterior(bmpOpen, c, r);
}

void FieldPainter::HighlightSector(int32_t c, int32_t r)
{
    FillInterior(c, r, HighlightColour);
}

void FieldPainter::DrawMine(int32_t c, int32_t r)
{
    CopyInterior(bmpClosed, c, r);
    DrawCentredText(c, r, QStringLiteral("X"), Qt::black);
}

void FieldPainter::DrawFatalSector(int32_t c, int32_t r)
{
    FillInterior(c, r, FatalColour);
    DrawCentredText(c, r, QStringLiteral("X"), Qt::black);
}

void FieldPainter::DrawWrongMarkerBar(int32_t c, int32_t r)
{
    const int32_t cell = Geometry.CellSize;
    const int32_t a = RoundHalfEven(0.2f * static_cast<float>(cell));
    const int32_t b = RoundHalfEven(0.05f * static_cast<float>(cell));
    const QPoint corner = Corner(c, r);
    const int32_t m = corner.y() + (cell >> 1);
    FillLayoutRect(QRect(QPoint(corner.x() + a, m - b), QPoint(corner.x() + cell - a, m + b - 1)),
                   FatalColour);
}
