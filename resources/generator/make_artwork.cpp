// Draws every picture of Kelvane and writes them as PNG files into one folder; with a
// second folder, also the desktop's icons (PNG in every menu size, and SVG).
//
//   QT_QPA_PLATFORM=offscreen kelvane-make-artwork resources/images [resources/icons]
//
// The output is committed, so a normal build never runs this program. Every picture is
// drawn from fixed seeds: running it again gives the same files.

#include "legend_art.h"

#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QSvgGenerator>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace
{

const QColor Navy(0, 0, 128);
const QColor Cream(255, 251, 240);
const QColor KeyCyan(0, 255, 255);

// ---------------------------------------------------------------------------------------------
// Small helpers: colours, seeded noise

struct Rgb {
    float r, g, b;
};

Rgb operator+(Rgb a, Rgb b)
{
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}
Rgb operator*(Rgb a, float k)
{
    return {a.r * k, a.g * k, a.b * k};
}
Rgb Mix(Rgb a, Rgb b, float t)
{
    return a * (1.0f - t) + b * t;
}
Rgb Shift(Rgb a, float d)
{
    return {a.r + d, a.g + d, a.b + d};
}

int Channel(float v)
{
    return std::clamp(static_cast<int>(std::lround(v)), 0, 255);
}
QRgb ToQRgb(Rgb c)
{
    return qRgb(Channel(c.r), Channel(c.g), Channel(c.b));
}

float Smooth(float edge0, float edge1, float x)
{
    const float t = std::clamp((x - edge0) / (edge1 - edge0), 0.0f, 1.0f);
    return t * t * (3.0f - 2.0f * t);
}

uint32_t Hash(int32_t x, int32_t y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    h *= 0x27d4eb2du;
    h ^= h >> 16;
    return h;
}

// Uniform in [0, 1).
float Unit(int32_t x, int32_t y, uint32_t seed)
{
    return float(Hash(x, y, seed) >> 8) / 16777216.0f;
}

// Smooth value noise in [0, 1).
float ValueNoise(float x, float y, uint32_t seed)
{
    const int x0 = int(std::floor(x));
    const int y0 = int(std::floor(y));
    const float fx = Smooth(0.0f, 1.0f, x - float(x0));
    const float fy = Smooth(0.0f, 1.0f, y - float(y0));
    const float a = Unit(x0, y0, seed), b = Unit(x0 + 1, y0, seed);
    const float c = Unit(x0, y0 + 1, seed), d = Unit(x0 + 1, y0 + 1, seed);
    return (a + (b - a) * fx) * (1.0f - fy) + (c + (d - c) * fx) * fy;
}

// A few octaves of value noise, centred on 0, roughly within [-0.5, 0.5].
float Fractal(float x, float y, int octaves, uint32_t seed)
{
    float sum = 0.0f, amplitude = 0.5f, norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += (ValueNoise(x, y, seed + uint32_t(i) * 101u) - 0.5f) * amplitude;
        norm += amplitude;
        x *= 2.03f;
        y *= 2.03f;
        amplitude *= 0.5f;
    }
    return sum / norm;
}

QImage NewImage(int w, int h, const QColor &fill)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

QFont ArialPixels(int pixels, bool bold)
{
    QFont font("Arial");
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

void PutPixels(QImage &image, int left, int top, const std::vector<const char *> &rows, QRgb ink)
{
    for (int y = 0; y < int(rows.size()); ++y)
        for (int x = 0; rows[y][x] != '\0'; ++x)
            if (rows[y][x] == '#') image.setPixel(left + x, top + y, ink);
}

// ---------------------------------------------------------------------------------------------
// MAINBKGND: frosted ice under the board, quiet light areas where the window's texts sit

// A six-armed frost crystal, drawn with soft lines.
void DrawCrystal(QPainter &painter, QPointF centre, qreal radius, const QColor &colour, qreal width)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    for (int arm = 0; arm < 6; ++arm) {
        const qreal a = arm * M_PI / 3.0;
        const QPointF dir(std::cos(a), std::sin(a));
        painter.drawLine(centre, centre + dir * radius);
        for (qreal at : {0.45, 0.7}) {
            const QPointF base = centre + dir * (radius * at);
            const qreal len = radius * (at < 0.5 ? 0.28 : 0.2);
            for (qreal side : {-1.0, 1.0}) {
                const qreal b = a + side * M_PI / 4.0;
                painter.drawLine(base, base + QPointF(std::cos(b), std::sin(b)) * len);
            }
        }
    }
    painter.restore();
}

constexpr int MainWidth = 964, MainHeight = 660;
constexpr int BoardLeft = 4, BoardTop = 32, BoardWidth = 769, BoardHeight = 601;

// The ice: a jittered cell pattern whose cells are gently domed and lit from the upper left,
// with soft grooves between them. Values stay well inside the range where the darkened copy
// (closed sectors) is mid-dark and the washed-out copy (open sectors) stays light.
class IceField
{
  public:
    IceField(int width, int height, float cellSize, uint32_t seed)
        : Width(width), Height(height), Cell(cellSize), Seed(seed),
          Relief(std::size_t(width) * std::size_t(height)),
          Tone(std::size_t(width) * std::size_t(height))
    {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                Sample(x, y);
    }

    float ReliefAt(int x, int y) const
    {
        x = std::clamp(x, 0, Width - 1);
        y = std::clamp(y, 0, Height - 1);
        return Relief[std::size_t(y) * std::size_t(Width) + std::size_t(x)];
    }
    float ToneAt(int x, int y) const
    {
        return Tone[std::size_t(y) * std::size_t(Width) + std::size_t(x)];
    }

  private:
    void Sample(int px, int py)
    {
        // Slight warp keeps the cells from looking machine-made.
        const float wx = float(px) + 9.0f * Fractal(px / 90.0f, py / 90.0f, 2, Seed + 7);
        const float wy = float(py) + 9.0f * Fractal(px / 90.0f + 31.0f, py / 90.0f, 2, Seed + 8);
        const int cx = int(std::floor(wx / Cell));
        const int cy = int(std::floor(wy / Cell));
        float best = 1e9f, second = 1e9f;
        int bestX = 0, bestY = 0;
        for (int j = -1; j <= 1; ++j)
            for (int i = -1; i <= 1; ++i) {
                const int gx = cx + i, gy = cy + j;
                const float fx = (float(gx) + 0.15f + 0.7f * Unit(gx, gy, Seed)) * Cell;
                const float fy = (float(gy) + 0.15f + 0.7f * Unit(gx, gy, Seed + 1)) * Cell;
                const float d = std::hypot(wx - fx, wy - fy);
                if (d < best) {
                    second = best;
                    best = d;
                    bestX = gx;
                    bestY = gy;
                } else if (d < second) {
                    second = d;
                }
            }
        const float edge = (second - best) * 0.5f; // distance to the border between two cells
        const std::size_t at = std::size_t(py) * std::size_t(Width) + std::size_t(px);
        Relief[at] = Smooth(0.0f, 7.0f, edge);
        Tone[at] = Unit(bestX, bestY, Seed + 2) - 0.5f;
    }

    int Width, Height;
    float Cell;
    uint32_t Seed;
    std::vector<float> Relief, Tone;
};

QImage MakeMainBackground()
{
    QImage image(MainWidth, MainHeight, QImage::Format_RGB32);

    // The window: a pale, cool wash, lightest where the panel, the top row and the bottom
    // line carry navy text.
    const Rgb top{224, 230, 242}, bottom{232, 235, 245};
    for (int y = 0; y < MainHeight; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < MainWidth; ++x) {
            Rgb c = Mix(top, bottom, float(y) / float(MainHeight - 1));
            c = Shift(c, 5.0f * Fractal(x / 160.0f, y / 160.0f, 3, 11));
            // Right-hand panel: a lighter sheet with soft edges.
            const float panel =
                Smooth(768.0f, 776.0f, float(x)) * (1.0f - Smooth(630.0f, 637.0f, float(y)));
            c = Mix(c, Rgb{241, 244, 251}, 0.75f * panel);
            // Top row and bottom line: lighter bands.
            const float band =
                (1.0f - Smooth(25.0f, 31.0f, float(y))) + Smooth(634.0f, 640.0f, float(y));
            c = Mix(c, Rgb{240, 243, 250}, 0.6f * std::min(band, 1.0f));
            line[x] = ToQRgb(c);
        }
    }

    // The ice under the board.
    const IceField ice(BoardWidth, BoardHeight, 44.0f, 2024);
    const Rgb iceBase{190, 207, 233};
    const Rgb iceLavender{200, 202, 236};
    const Rgb iceTeal{184, 212, 230};
    for (int y = 0; y < BoardHeight; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(BoardTop + y)) + BoardLeft;
        for (int x = 0; x < BoardWidth; ++x) {
            const float tone = ice.ToneAt(x, y);
            Rgb c = tone < 0.0f ? Mix(iceBase, iceLavender, -tone * 1.4f)
                                : Mix(iceBase, iceTeal, tone * 1.4f);
            // Light from the upper left on the domed cells.
            const float dx = ice.ReliefAt(x + 1, y) - ice.ReliefAt(x - 1, y);
            const float dy = ice.ReliefAt(x, y + 1) - ice.ReliefAt(x, y - 1);
            const float light = -(dx + dy) * 0.7071f;
            c = Shift(c, 18.0f * light);
            // Grooves between the cells.
            c = Shift(c, -14.0f * (1.0f - ice.ReliefAt(x, y)));
            // Broad drifts of frost and a fine grain.
            c = Shift(c, 10.0f * Fractal(x / 220.0f, y / 220.0f, 3, 21));
            c = Shift(c, 3.0f * (Unit(x, y, 31) - 0.5f));
            line[x] = ToQRgb(c);
        }
    }

    // A quiet inset frame around the board.
    for (int x = BoardLeft - 1; x <= BoardLeft + BoardWidth; ++x) {
        image.setPixel(x, BoardTop - 1, qRgb(158, 170, 196));
        image.setPixel(x, BoardTop + BoardHeight, qRgb(250, 252, 255));
    }
    for (int y = BoardTop - 1; y <= BoardTop + BoardHeight; ++y) {
        image.setPixel(BoardLeft - 1, y, qRgb(158, 170, 196));
        image.setPixel(BoardLeft + BoardWidth, y, qRgb(250, 252, 255));
    }

    // Two frost crystals in the top row, in the gaps either side of the face.
    QPainter painter(&image);
    DrawCrystal(painter, QPointF(284.5, 16.5), 9.5, QColor(188, 194, 228), 1.3);
    DrawCrystal(painter, QPointF(516.5, 16.5), 9.5, QColor(188, 194, 228), 1.3);
    return image;
}

// ---------------------------------------------------------------------------------------------
// Faces: 25 x 25, navy frame on a cyan ground

enum class Mood { Smiling, Surprised, Lost };

QImage MakeFace(Mood mood)
{
    QImage image = NewImage(25, 25, KeyCyan);
    const QRgb outline = qRgb(0, 0, 0);
    const QRgb face = qRgb(255, 224, 32);
    const QRgb shade = qRgb(224, 176, 0);
    const QRgb gleam = qRgb(255, 248, 160);
    const QRgb ink = qRgb(0, 0, 0);
    const float cx = 12.0f, cy = 12.0f, radius = 9.6f;

    auto inside = [&](int x, int y) { return std::hypot(x - cx, y - cy) <= radius; };
    for (int y = 1; y < 24; ++y)
        for (int x = 1; x < 24; ++x) {
            if (!inside(x, y)) continue;
            const bool rim =
                !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1) || !inside(x, y + 1);
            // Lit from the upper left: a gleam there, a darker crescent at the lower right.
            const float d = std::hypot(x - cx, y - cy);
            const float angle = std::atan2(float(y) - cy, float(x) - cx) * 180.0f / float(M_PI);
            QRgb c = face;
            if (d > 6.6f && angle > 15.0f && angle < 95.0f) c = shade;
            if (d > 5.8f && d < 7.6f && angle > -160.0f && angle < -115.0f) c = gleam;
            image.setPixel(x, y, rim ? outline : c);
        }

    switch (mood) {
    case Mood::Smiling:
        PutPixels(image, 9, 8, {"##...##", "##...##", "##...##"}, ink);
        PutPixels(image, 7, 14,
                  {"#.........#", //
                   "##.......##", //
                   ".##.....##.", //
                   "..#######..", //
                   "...#####..."},
                  ink);
        break;
    case Mood::Surprised:
        PutPixels(image, 9, 7,
                  {"##...##", //
                   "##...##", //
                   "##...##", //
                   "##...##"},
                  ink);
        PutPixels(image, 10, 13,
                  {".###.", //
                   "#...#", //
                   "#...#", //
                   "#...#", //
                   ".###."},
                  ink);
        for (int y = 14; y <= 16; ++y)
            for (int x = 11; x <= 13; ++x)
                image.setPixel(x, y, qRgb(128, 0, 0));
        break;
    case Mood::Lost:
        PutPixels(image, 8, 7,
                  {"#.#...#.#", //
                   ".#.....#.", //
                   "#.#...#.#"},
                  ink);
        PutPixels(image, 7, 14,
                  {"...#####...", //
                   "..#######..", //
                   ".##.....##.", //
                   "##.......##", //
                   "#.........#"},
                  ink);
        break;
    }

    // The frame, drawn last so nothing covers it.
    for (int i = 0; i < 25; ++i) {
        image.setPixel(i, 0, Navy.rgb());
        image.setPixel(i, 24, Navy.rgb());
        image.setPixel(0, i, Navy.rgb());
        image.setPixel(24, i, Navy.rgb());
    }
    return image;
}

// ---------------------------------------------------------------------------------------------
// SETTINGSBKGND: pale blue-violet with the outlines of the five group boxes

struct GroupBox {
    int left, top, right, bottom, stripBottom;
};

// Outline corners and title strip bottoms, inclusive, as the dialog lays out its groups.
const GroupBox SettingsGroups[] = {
    {4, 4, 112, 120, 24},    // Level
    {116, 4, 272, 120, 24},  // Field Parameters
    {276, 4, 496, 216, 24},  // Legend
    {4, 124, 272, 216, 144}, // Game Settings
    {4, 220, 496, 296, 240}, // Probability Engine Settings
};

QImage MakeSettingsBackground()
{
    const int w = 502, h = 328;
    QImage image(w, h, QImage::Format_RGB32);
    const Rgb margin{214, 214, 240}, marginLow{224, 222, 244};
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            Rgb c = Mix(margin, marginLow, float(x + y) / float(w + h));
            // Soft diagonal ripples in the margins.
            const float ripple =
                std::sin((x * 0.6f + y) / 7.0f + 2.0f * Fractal(x / 60.0f, y / 60.0f, 2, 5));
            c = Shift(c, 3.0f * ripple + 4.0f * Fractal(x / 90.0f, y / 90.0f, 3, 6));
            line[x] = ToQRgb(c);
        }
    }

    QPainter painter(&image);
    DrawCrystal(painter, QPointF(21, 312), 10, QColor(176, 172, 222), 1.4);

    for (const GroupBox &g : SettingsGroups) {
        // Inside: nearly white violet, a touch darker towards the bottom.
        for (int y = g.top + 1; y < g.bottom; ++y) {
            QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            for (int x = g.left + 1; x < g.right; ++x) {
                Rgb c;
                if (y < g.stripBottom) {
                    const float t = float(y - g.top - 1) / float(g.stripBottom - g.top - 2);
                    c = Mix(Rgb{226, 226, 250}, Rgb{206, 206, 240}, t);
                } else {
                    const float t = float(y - g.stripBottom) / float(g.bottom - g.stripBottom);
                    c = Mix(Rgb{244, 244, 253}, Rgb{236, 236, 250}, t);
                }
                line[x] = ToQRgb(c);
            }
        }
        for (int x = g.left; x <= g.right; ++x) {
            image.setPixel(x, g.top, Navy.rgb());
            image.setPixel(x, g.bottom, Navy.rgb());
            image.setPixel(x, g.stripBottom, Navy.rgb());
        }
        for (int y = g.top; y <= g.bottom; ++y) {
            image.setPixel(g.left, y, Navy.rgb());
            image.setPixel(g.right, y, Navy.rgb());
        }
    }

    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(ArialPixels(15, true));
    painter.setPen(QColor(150, 146, 204));
    painter.drawText(QRect(37, 300, 160, 24), Qt::AlignLeft | Qt::AlignVCenter, "Kelvane");
    return image;
}

// ---------------------------------------------------------------------------------------------
// Check boxes: 16 x 16, only navy and the cyan key colour so the keyed picture has no fringe

const std::vector<const char *> CheckOutline = {
    ".#############.", //
    "#.............#", //
    "#.............#", //
    "#.............#", //
    "#.............#", //
    "#.............#", //
    "#.............#", //
    "#.............#", //
    "#.............#", //
    "#.............#", //
    "#.............#", //
    "#.............#", //
    "#.............#", //
    "#.............#", //
    ".#############.", //
};

QImage MakeCheckBox(bool on)
{
    QImage image = NewImage(16, 16, KeyCyan);
    PutPixels(image, 0, 0, CheckOutline, Navy.rgb());
    if (on)
        PutPixels(image, 3, 3,
                  {"........#", //
                   ".......##", //
                   "......###", //
                   "#....###.", //
                   "##..###..", //
                   "######...", //
                   ".####....", //
                   "..##....."},
                  Navy.rgb());
    return image;
}

// ---------------------------------------------------------------------------------------------
// Arrow pictures: 17 x 21

void FramedBox(QImage &image, int top, int bottom)
{
    for (int y = top; y <= bottom; ++y)
        for (int x = 0; x < image.width(); ++x) {
            const bool frame = y == top || y == bottom || x == 0 || x == image.width() - 1;
            image.setPixel(x, y, frame ? Navy.rgb() : Cream.rgb());
        }
}

// A solid triangle, apex row first when pointing up.
void Triangle(QImage &image, int apexRow, int rows, bool up)
{
    const int centre = image.width() / 2;
    for (int i = 0; i < rows; ++i) {
        const int y = up ? apexRow + i : apexRow - i;
        for (int x = centre - i; x <= centre + i; ++x)
            image.setPixel(x, y, Navy.rgb());
    }
}

// Two boxes sharing the middle row y = 10: a press on it steps neither way.
QImage MakeArrowUpDown()
{
    QImage image = NewImage(17, 21, Cream);
    FramedBox(image, 0, 10);
    FramedBox(image, 10, 20);
    Triangle(image, 3, 5, true);
    Triangle(image, 17, 5, false);
    return image;
}

QImage MakeArrowDown()
{
    QImage image = NewImage(17, 21, Cream);
    FramedBox(image, 0, 20);
    Triangle(image, 13, 6, false);
    return image;
}

// ---------------------------------------------------------------------------------------------
// BESTBKGND: a warm card with a header strip and faint row bands

QImage MakeBestBackground()
{
    const int w = 312, h = 156;
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            Rgb c = Mix(Rgb{246, 238, 218}, Rgb{236, 230, 240}, float(y) / float(h - 1));
            c = Shift(c, 3.0f * Fractal(x / 70.0f, y / 70.0f, 3, 41));
            line[x] = ToQRgb(c);
        }
    }

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    // The card behind the table, with a header strip under the column titles.
    QPainterPath card;
    card.addRoundedRect(QRectF(3.5, 3.5, 305, 119), 5, 5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(253, 249, 238));
    painter.drawPath(card);
    QLinearGradient header(0, 4, 0, 26);
    header.setColorAt(0, QColor(246, 230, 188));
    header.setColorAt(1, QColor(238, 218, 168));
    painter.save();
    painter.setClipPath(card);
    painter.fillRect(QRectF(0, 0, w, 26), header);
    painter.restore();
    painter.setPen(QPen(QColor(196, 176, 130), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(card);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawLine(5, 26, 306, 26);
    // Every other row a shade warmer.
    for (int row : {1, 3}) {
        const int y = 28 + row * 24;
        painter.fillRect(QRect(5, y, 302, 22), QColor(247, 239, 219));
    }

    // A small gold star between the two buttons.
    painter.setRenderHint(QPainter::Antialiasing);
    QPolygonF star;
    const QPointF centre(156.5, 140.5);
    for (int i = 0; i < 10; ++i) {
        const qreal r = (i % 2 == 0) ? 10.5 : 4.4;
        const qreal a = -M_PI / 2 + i * M_PI / 5;
        star << centre + QPointF(std::cos(a), std::sin(a)) * r;
    }
    QRadialGradient gold(centre - QPointF(2, 3), 12);
    gold.setColorAt(0, QColor(255, 236, 140));
    gold.setColorAt(1, QColor(222, 164, 32));
    painter.setPen(QPen(QColor(150, 100, 20), 1));
    painter.setBrush(gold);
    painter.drawPolygon(star);
    return image;
}

// ---------------------------------------------------------------------------------------------
// MAINICON: a mine on a tile of ice. The desktop icons are the same drawing at other sizes
// and as SVG, so the window and the menu show one picture.

// Paints the icon on a 32 x 32 unit square.
void PaintIcon(QPainter &painter)
{
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient tile(0, 0, 32, 32);
    tile.setColorAt(0, QColor(214, 226, 244));
    tile.setColorAt(1, QColor(120, 138, 178));
    painter.setPen(QPen(Navy, 1.2));
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 5, 5);

    const QPointF c(16, 16.5);
    painter.setPen(QPen(QColor(10, 10, 30), 2.2, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        const QPointF d(std::cos(a), std::sin(a));
        painter.drawLine(c + d * 5.0, c + d * (i % 2 == 0 ? 11.0 : 9.5));
    }
    QRadialGradient body(c - QPointF(2.5, 2.5), 9);
    body.setColorAt(0, QColor(110, 116, 140));
    body.setColorAt(0.5, QColor(30, 32, 48));
    body.setColorAt(1, QColor(6, 6, 14));
    painter.setPen(Qt::NoPen);
    painter.setBrush(body);
    painter.drawEllipse(c, 7.0, 7.0);
    painter.setBrush(QColor(255, 255, 255, 220));
    painter.drawEllipse(c - QPointF(2.6, 2.6), 1.8, 1.8);
}

QImage MakeIcon(int size = 32)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(size / 32.0, size / 32.0);
    PaintIcon(painter);
    return image;
}

// The desktop's icons: kelvane-SIZE.png for each size the menus use, and kelvane.svg.
bool WriteDesktopIcons(const QDir &dir)
{
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString path = dir.filePath(QString("kelvane-%1.png").arg(size));
        if (!MakeIcon(size).save(path, "PNG", 9)) return false;
        QTextStream(stdout) << path << "  " << size << "x" << size << "\n";
    }
    QSvgGenerator svg;
    svg.setFileName(dir.filePath("kelvane.svg"));
    svg.setSize(QSize(32, 32));
    svg.setViewBox(QRect(0, 0, 32, 32));
    svg.setTitle("Kelvane");
    svg.setDescription("A mine on a tile of ice");
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    PaintIcon(painter);
    return painter.end();
}

struct Output {
    const char *name;
    QImage image;
};

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2 && argc != 3) {
        QTextStream(stderr) << "usage: kelvane-make-artwork OUTPUT_DIR [ICON_DIR]\n";
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        QTextStream(stderr) << "cannot create " << dir.path() << "\n";
        return 1;
    }

    const std::vector<Output> outputs = {
        {"MAINBKGND", MakeMainBackground()},
        {"FACEBITMAP0", MakeFace(Mood::Smiling)},
        {"FACEBITMAP1", MakeFace(Mood::Surprised)},
        {"FACEBITMAP2", MakeFace(Mood::Lost)},
        {"SETTINGSBKGND", MakeSettingsBackground()},
        {"CHECKBOX0", MakeCheckBox(false)},
        {"CHECKBOX1", MakeCheckBox(true)},
        {"BESTBKGND", MakeBestBackground()},
        {"MAINICON", MakeIcon()},
        {"ARROWUPDOWN", MakeArrowUpDown()},
        {"ARROWDOWN", MakeArrowDown()},
        {"LEGEND", DrawLegend(1)},
    };
    for (const Output &out : outputs) {
        const QString path = dir.filePath(QString::fromLatin1(out.name).toLower() + ".png");
        if (!out.image.save(path, "PNG", 9)) {
            QTextStream(stderr) << "cannot write " << path << "\n";
            return 1;
        }
        QTextStream(stdout) << path << "  " << out.image.width() << "x" << out.image.height()
                            << "\n";
    }
    if (argc == 3) {
        const QDir icons(QString::fromLocal8Bit(argv[2]));
        if ((!icons.exists() && !QDir().mkpath(icons.path())) || !WriteDesktopIcons(icons)) {
            QTextStream(stderr) << "cannot write the icons to " << icons.path() << "\n";
            return 1;
        }
    }
    return 0;
}
