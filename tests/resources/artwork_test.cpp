// The pictures as the windows rely on them: names and sizes in the resource system, the key
// colour of the box pictures and the legend, the frames and rows other code clicks or draws
// on, and readable navy text and board figures over the backgrounds.
//
// This executable calls no resource initialisation: every picture loading here also shows
// that linking kelvane_resources registers the pictures by itself.

#include "artwork.h"
#include "legend_art.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QString>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <vector>

namespace
{

const QRgb Navy = qRgb(0, 0, 128);
const QRgb Cream = qRgb(255, 251, 240);
const QRgb Purple = qRgb(128, 0, 128);
const QRgb Cyan = qRgb(0, 255, 255);

QImage Load(const char *name)
{
    const QImage image = LoadArtwork(QString::fromLatin1(name));
    EXPECT_FALSE(image.isNull()) << name;
    return image;
}

QString Describe(QRgb c)
{
    return QString("(%1, %2, %3)").arg(qRed(c)).arg(qGreen(c)).arg(qBlue(c));
}

// Relative luminance and contrast ratio as used for text legibility.
double Linear(int channel)
{
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double Luminance(QRgb c)
{
    return 0.2126 * Linear(qRed(c)) + 0.7152 * Linear(qGreen(c)) + 0.0722 * Linear(qBlue(c));
}

double Contrast(QRgb a, QRgb b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Colour difference in CIE L*a*b* (1976): how far apart two colours look, hue included.
double ColourDistance(QRgb a, QRgb b)
{
    auto lab = [](QRgb c, double out[3]) {
        const double r = Linear(qRed(c)), g = Linear(qGreen(c)), bl = Linear(qBlue(c));
        const double xyz[3] = {(0.4124 * r + 0.3576 * g + 0.1805 * bl) / 0.95047,
                               0.2126 * r + 0.7152 * g + 0.0722 * bl,
                               (0.0193 * r + 0.1192 * g + 0.9505 * bl) / 1.08883};
        double f[3];
        for (int i = 0; i < 3; ++i)
            f[i] = xyz[i] > 0.008856 ? std::cbrt(xyz[i]) : 7.787 * xyz[i] + 16.0 / 116.0;
        out[0] = 116.0 * f[1] - 16.0;
        out[1] = 500.0 * (f[0] - f[1]);
        out[2] = 200.0 * (f[1] - f[2]);
    };
    double p[3], q[3];
    lab(a, p);
    lab(b, q);
    return std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) +
                     (p[2] - q[2]) * (p[2] - q[2]));
}

// The value that all but a hundredth of the pixels reach: a few stray pixels under a figure do
// not spoil it, a whole dim patch does.
double WorstPercentile(const QImage &image, const std::function<double(QRgb)> &measure)
{
    std::vector<double> values;
    values.reserve(std::size_t(image.width()) * std::size_t(image.height()));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            values.push_back(measure(image.pixel(x, y)));
    const std::size_t at = values.size() / 100;
    std::nth_element(values.begin(), values.begin() + long(at), values.end());
    return values[at];
}

// The board's textures: the picture under the whole board area, darkened for closed sectors and
// washed out for open ones, exactly as the board derives them.
struct Textures {
    QImage closed, open;
};

Textures BoardTextures()
{
    const QImage under = Load("MAINBKGND").copy(4, 32, 769, 601);
    Textures t{under, under};
    for (int y = 0; y < under.height(); ++y)
        for (int x = 0; x < under.width(); ++x) {
            const QRgb p = under.pixel(x, y);
            t.closed.setPixel(x, y, qRgb(qRed(p) >> 1, qGreen(p) >> 1, qBlue(p) >> 1));
            t.open.setPixel(
                x, y, qRgb((qRed(p) >> 1) + 128, (qGreen(p) >> 1) + 128, (qBlue(p) >> 1) + 128));
        }
    return t;
}

int Count(const QImage &image, QRect area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

// Widest run of `colour` on each row of `area`, top to bottom.
std::vector<int> RowWidths(const QImage &image, QRect area, QRgb colour)
{
    std::vector<int> widths;
    for (int y = area.top(); y <= area.bottom(); ++y)
        widths.push_back(Count(image, QRect(area.left(), y, area.width(), 1), colour));
    return widths;
}

// +1 when the non-empty rows grow wider downwards (a triangle pointing up), -1 when they
// narrow (pointing down), 0 otherwise.
int TriangleDirection(const std::vector<int> &widths)
{
    std::vector<int> rows;
    for (int w : widths)
        if (w > 0) rows.push_back(w);
    if (rows.size() < 3) return 0;
    if (std::is_sorted(rows.begin(), rows.end()) && rows.front() < rows.back()) return 1;
    if (std::is_sorted(rows.rbegin(), rows.rend()) && rows.front() > rows.back()) return -1;
    return 0;
}

// ---------------------------------------------------------------------------------------------

struct Named {
    const char *name;
    int width, height;
};

const Named Pictures[] = {
    {"MAINBKGND", 964, 660}, {"FACEBITMAP0", 25, 25},     {"FACEBITMAP1", 25, 25},
    {"FACEBITMAP2", 25, 25}, {"SETTINGSBKGND", 502, 328}, {"CHECKBOX0", 16, 16},
    {"CHECKBOX1", 16, 16},   {"BESTBKGND", 312, 156},     {"MAINICON", 32, 32},
    {"ARROWUPDOWN", 17, 21}, {"ARROWDOWN", 17, 21},       {"LEGEND", 16, 154},
};

TEST(ArtworkPackaging, EveryPicture_LoadsUnderItsDesignNameWithItsSize)
{
    for (const Named &p : Pictures) {
        const QImage image(QString(":/") + p.name);
        ASSERT_FALSE(image.isNull()) << p.name << " is not among the resources";
        EXPECT_EQ(image.width(), p.width) << p.name;
        EXPECT_EQ(image.height(), p.height) << p.name;
    }
}

TEST(ArtworkPackaging, EveryPictureButTheIcon_IsOpaque)
{
    for (const Named &p : Pictures) {
        if (QString(p.name) == "MAINICON") continue;
        const QImage image = Load(p.name).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                ASSERT_EQ(qAlpha(image.pixel(x, y)), 255) << p.name << " at " << x << "," << y;
    }
}

TEST(ArtworkPackaging, LoadArtwork_GivesA32BitImageOrNullForAnUnknownName)
{
    EXPECT_EQ(LoadArtwork(u"MAINBKGND").format(), QImage::Format_RGB32);
    EXPECT_EQ(LoadArtwork(u"CHECKBOX0").format(), QImage::Format_RGB32);
    EXPECT_TRUE(LoadArtwork(u"NOSUCHPICTURE").isNull());
    EXPECT_TRUE(LoadKeyedArtwork(u"NOSUCHPICTURE").isNull());
}

TEST(ArtworkPackaging, LoadKeyedArtwork_ClearsExactlyTheKeyColouredPixels)
{
    for (const char *name : {"CHECKBOX0", "CHECKBOX1", "LEGEND"}) {
        const QImage plain = Load(name);
        const QImage keyed = LoadKeyedArtwork(QString::fromLatin1(name));
        ASSERT_EQ(keyed.size(), plain.size()) << name;
        int cleared = 0;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x) {
                const bool key = plain.pixel(x, y) == ArtworkKeyColor;
                const QRgb k = keyed.pixel(x, y);
                ASSERT_EQ(qAlpha(k), key ? 0 : 255) << name << " at " << x << "," << y;
                if (!key) {
                    ASSERT_EQ(qRgb(qRed(k), qGreen(k), qBlue(k)), plain.pixel(x, y)) << name;
                }
                cleared += key;
            }
        EXPECT_GT(cleared, 0) << name;
    }
}

// Equal but for rounding: the raster engine takes other vector paths on other processors,
// and antialiased gradient edges then come out one step apart in a channel.
bool SameButForRounding(const QImage &a, const QImage &b)
{
    if (a.size() != b.size()) return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > 1 || std::abs(qGreen(p) - qGreen(q)) > 1 ||
                std::abs(qBlue(p) - qBlue(q)) > 1 || std::abs(qAlpha(p) - qAlpha(q)) > 1)
                return false;
        }
    return true;
}

TEST(ArtworkPackaging, TheGeneratorRunAgain_ReproducesEveryPackedPictureAndDesktopIcon)
{
    QTemporaryDir out, icons;
    ASSERT_TRUE(out.isValid() && icons.isValid());
    QProcess generator;
    generator.start(QStringLiteral(KELVANE_ARTWORK_GENERATOR), {out.path(), icons.path()});
    ASSERT_TRUE(generator.waitForFinished(100000));
    ASSERT_EQ(generator.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(generator.exitCode(), 0) << generator.readAllStandardError().toStdString();
    for (const Named &p : Pictures) {
        const QString file = QDir(out.path()).filePath(QString(p.name).toLower() + ".png");
        const QImage made = QImage(file).convertToFormat(QImage::Format_ARGB32);
        const QImage packed = QImage(QString(":/") + p.name).convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(made.isNull()) << p.name;
        EXPECT_TRUE(SameButForRounding(made, packed))
            << p.name << " differs from what the generator draws";
    }

    // The installed icons: the committed files are the generator's, and the menu's 32-pixel
    // icon is the window's own.
    const QDir committed(QStringLiteral(KELVANE_ICON_SOURCE_DIR));
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString name = QString("kelvane-%1.png").arg(size);
        const QImage made = QImage(icons.filePath(name)).convertToFormat(QImage::Format_ARGB32);
        const QImage kept = QImage(committed.filePath(name)).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(made.size(), QSize(size, size)) << name.toStdString();
        EXPECT_TRUE(SameButForRounding(made, kept))
            << name.toStdString() << " differs from what the generator draws";
        // Readable at every size: a light tile with the dark mine in its middle.
        const QRgb middle = made.pixel(size / 2, size / 2 + size / 16);
        const QRgb corner = made.pixel(size / 5, size * 4 / 5);
        EXPECT_LT(qGray(middle), 60) << name.toStdString();
        EXPECT_GT(qGray(corner), 120) << name.toStdString();
        EXPECT_EQ(qAlpha(made.pixel(0, 0)), 0) << name.toStdString() << ": rounded corner";
    }
    const QImage menu32 =
        QImage(committed.filePath("kelvane-32.png")).convertToFormat(QImage::Format_ARGB32);
    EXPECT_TRUE(menu32 == QImage(":/MAINICON").convertToFormat(QImage::Format_ARGB32));
    QFile madeSvg(icons.filePath("kelvane.svg")), keptSvg(committed.filePath("kelvane.svg"));
    ASSERT_TRUE(madeSvg.open(QIODevice::ReadOnly) && keptSvg.open(QIODevice::ReadOnly));
    const QByteArray svg = madeSvg.readAll();
    EXPECT_EQ(svg, keptSvg.readAll()) << "kelvane.svg differs from what the generator draws";
    EXPECT_TRUE(svg.contains("viewBox=\"0 0 32 32\""));

    // The scalable icon is the same drawing: rendered at 64 pixels it matches the PNG.
    QSvgRenderer renderer(svg);
    ASSERT_TRUE(renderer.isValid());
    QImage drawn(64, 64, QImage::Format_ARGB32);
    drawn.fill(Qt::transparent);
    QPainter painter(&drawn);
    renderer.render(&painter);
    painter.end();
    const QImage png =
        QImage(committed.filePath("kelvane-64.png")).convertToFormat(QImage::Format_ARGB32);
    double difference = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const QRgb a = drawn.pixel(x, y), b = png.pixel(x, y);
            difference += std::abs(qGray(a) - qGray(b)) + std::abs(qAlpha(a) - qAlpha(b));
        }
    EXPECT_LT(difference / (64 * 64), 4.0) << "the SVG and the PNG icons differ";
}

// ---------------------------------------------------------------------------------------------

TEST(ArtworkCheckBox, BothBoxes_HoldOnlyNavyAndTheKeyColour)
{
    // A blended edge pixel would show as a cyan fringe once the key colour is left out.
    for (const char *name : {"CHECKBOX0", "CHECKBOX1"}) {
        const QImage box = Load(name);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb c = box.pixel(x, y);
                ASSERT_TRUE(c == Navy || c == Cyan)
                    << name << " at " << x << "," << y << ": " << Describe(c).toStdString();
            }
    }
}

TEST(ArtworkCheckBox, BothBoxes_HaveA15PixelOutlineWithCutCornersAndKeyedMargins)
{
    for (const char *name : {"CHECKBOX0", "CHECKBOX1"}) {
        const QImage box = Load(name);
        for (int i = 1; i <= 13; ++i) {
            EXPECT_EQ(box.pixel(i, 0), Navy) << name << " top " << i;
            EXPECT_EQ(box.pixel(i, 14), Navy) << name << " bottom " << i;
            EXPECT_EQ(box.pixel(0, i), Navy) << name << " left " << i;
            EXPECT_EQ(box.pixel(14, i), Navy) << name << " right " << i;
        }
        for (QPoint corner : {QPoint(0, 0), QPoint(14, 0), QPoint(0, 14), QPoint(14, 14)})
            EXPECT_EQ(box.pixel(corner), Cyan)
                << name << " corner " << corner.x() << "," << corner.y();
        EXPECT_EQ(Count(box, QRect(15, 0, 1, 16), Cyan), 16) << name;
        EXPECT_EQ(Count(box, QRect(0, 15, 16, 1), Cyan), 16) << name;
    }
}

TEST(ArtworkCheckBox, OffBoxIsEmptyInside_OnBoxHoldsATick)
{
    const QRect inside(1, 1, 13, 13);
    EXPECT_EQ(Count(Load("CHECKBOX0"), inside, Navy), 0);

    const QImage on = Load("CHECKBOX1");
    EXPECT_GE(Count(on, inside, Navy), 15);
    // A tick: its low point lies left of the centre, its long arm reaches the upper right.
    int lowest = -1, lowestX = 0, topRightArm = 0;
    for (int y = 1; y <= 13; ++y)
        for (int x = 1; x <= 13; ++x)
            if (on.pixel(x, y) == Navy) {
                if (y > lowest) {
                    lowest = y;
                    lowestX = x;
                }
                topRightArm += (x >= 9 && y <= 5);
            }
    EXPECT_LT(lowestX, 8);
    EXPECT_GT(topRightArm, 0);
}

// ---------------------------------------------------------------------------------------------

TEST(ArtworkFace, EachFace_HasANavyFrameOnACyanGround)
{
    for (const char *name : {"FACEBITMAP0", "FACEBITMAP1", "FACEBITMAP2"}) {
        const QImage face = Load(name);
        for (int i = 0; i < 25; ++i) {
            EXPECT_EQ(face.pixel(i, 0), Navy) << name << " top " << i;
            EXPECT_EQ(face.pixel(i, 24), Navy) << name << " bottom " << i;
            EXPECT_EQ(face.pixel(0, i), Navy) << name << " left " << i;
            EXPECT_EQ(face.pixel(24, i), Navy) << name << " right " << i;
        }
        for (QPoint ground : {QPoint(1, 1), QPoint(23, 1), QPoint(1, 23), QPoint(23, 23)})
            EXPECT_EQ(face.pixel(ground), Cyan) << name;
        EXPECT_GE(Count(face, QRect(1, 1, 23, 23), Cyan), 60) << name;
        // The face itself covers the middle.
        EXPECT_EQ(Count(face, QRect(8, 8, 9, 9), Cyan), 0) << name;
    }
}

TEST(ArtworkFace, TheThreeMoods_DifferInTheirFeatures)
{
    const QImage faces[] = {Load("FACEBITMAP0"), Load("FACEBITMAP1"), Load("FACEBITMAP2")};
    const QRect features(6, 6, 13, 13);
    for (int a = 0; a < 3; ++a)
        for (int b = a + 1; b < 3; ++b)
            EXPECT_NE(faces[a].copy(features), faces[b].copy(features)) << a << " and " << b;
}

// ---------------------------------------------------------------------------------------------

TEST(ArtworkArrows, UpDown_IsTwoNavyFramedCreamBoxesSplitByTheMiddleRow)
{
    const QImage arrow = Load("ARROWUPDOWN");
    // The middle row, where a press steps neither way, is the shared frame line.
    EXPECT_EQ(Count(arrow, QRect(0, 10, 17, 1), Navy), 17);
    EXPECT_EQ(Count(arrow, QRect(0, 0, 17, 1), Navy), 17);
    EXPECT_EQ(Count(arrow, QRect(0, 20, 17, 1), Navy), 17);
    EXPECT_EQ(Count(arrow, QRect(0, 0, 1, 21), Navy), 21);
    EXPECT_EQ(Count(arrow, QRect(16, 0, 1, 21), Navy), 21);
    const QRect upper(1, 1, 15, 9), lower(1, 11, 15, 9);
    EXPECT_EQ(Count(arrow, upper, Navy) + Count(arrow, upper, Cream), 15 * 9);
    EXPECT_EQ(Count(arrow, lower, Navy) + Count(arrow, lower, Cream), 15 * 9);
    EXPECT_EQ(TriangleDirection(RowWidths(arrow, upper, Navy)), 1) << "up triangle above";
    EXPECT_EQ(TriangleDirection(RowWidths(arrow, lower, Navy)), -1) << "down triangle below";
}

TEST(ArtworkArrows, Down_IsOneNavyFramedCreamBoxWithADownTriangle)
{
    const QImage arrow = Load("ARROWDOWN");
    EXPECT_EQ(Count(arrow, QRect(0, 0, 17, 1), Navy), 17);
    EXPECT_EQ(Count(arrow, QRect(0, 20, 17, 1), Navy), 17);
    EXPECT_EQ(Count(arrow, QRect(0, 0, 1, 21), Navy), 21);
    EXPECT_EQ(Count(arrow, QRect(16, 0, 1, 21), Navy), 21);
    const QRect inside(1, 1, 15, 19);
    EXPECT_EQ(Count(arrow, inside, Navy) + Count(arrow, inside, Cream), 15 * 19);
    EXPECT_EQ(TriangleDirection(RowWidths(arrow, inside, Navy)), -1);
}

// ---------------------------------------------------------------------------------------------

TEST(ArtworkLegend, KeyRowsAreWhollyKeyColoured_SamplesHaveNoKeyColouredHoles)
{
    const QImage legend = Load("LEGEND");
    for (int y = 0; y < 154; ++y) {
        const int key = Count(legend, QRect(0, y, 16, 1), Cyan);
        if (y % 17 == 0)
            EXPECT_EQ(key, 16) << "row " << y;
        else
            EXPECT_EQ(key, 0) << "row " << y;
    }
}

struct Sample {
    const char *caption;
    QRgb fill, outline;
    std::vector<QRgb> marks; // colours that must appear inside
};

const QRgb Grey = qRgb(128, 128, 144), Yellow = qRgb(255, 255, 128), Red = qRgb(255, 0, 0);
const QRgb Black = qRgb(0, 0, 0), DarkGrey = qRgb(34, 34, 34), Blue = qRgb(0, 0, 192);

const Sample Samples[] = {
    {"Closed sector", Grey, Black, {}},
    {"Closed sector, calculating probability", Yellow, Black, {}},
    {"Closed sector, probability calculated", Grey, Black, {Red}},
    {"Mine marker", Grey, Black, {Yellow}},
    {"Open sector, no mines around", Cream, DarkGrey, {}},
    {"Open sector with mines around", Cream, DarkGrey, {Blue}},
    {"Mine triggered (Trainer Mode)", Red, Black, {Black}},
    {"Incorrect mine marker (Trainer Mode)", Grey, Black, {Yellow, Red}},
    {"Non-marked mine (game over)", Grey, Black, {Black}},
};

TEST(ArtworkLegend, EachSample_ShowsItsSectorLookInCaptionOrder)
{
    const QImage legend = Load("LEGEND");
    for (int i = 0; i < 9; ++i) {
        const Sample &s = Samples[i];
        const QImage sample = legend.copy(0, 1 + 17 * i, 16, 16);
        EXPECT_EQ(Count(sample, QRect(0, 0, 16, 1), s.outline) +
                      Count(sample, QRect(0, 15, 16, 1), s.outline) +
                      Count(sample, QRect(0, 1, 1, 14), s.outline) +
                      Count(sample, QRect(15, 1, 1, 14), s.outline),
                  60)
            << s.caption << ": outline";
        const QRect inside(1, 1, 14, 14);
        const int fill = Count(sample, inside, s.fill);
        if (s.marks.empty())
            EXPECT_EQ(fill, 14 * 14) << s.caption << ": plain fill";
        else
            EXPECT_GE(fill, 14 * 14 / 2) << s.caption << ": mostly fill";
        for (QRgb mark : s.marks)
            EXPECT_GE(Count(sample, inside, mark), 6)
                << s.caption << ": no " << Describe(mark).toStdString();
    }
}

// At scale 1 the drawn legend is the shipped picture; at 2 its frames and key rows are the
// picture's pixels doubled, and its marks are drawn finer than 2 x 2 blocks, in their colours.
TEST(ArtworkLegend, DrawnAtScaleTwo_KeepsTheBlocksAndSharpensTheMarks)
{
    const QImage one = Load("LEGEND").convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(DrawLegend(1), one);
    const QImage two = DrawLegend(2);
    ASSERT_EQ(two.size(), QSize(32, 308));
    EXPECT_EQ(two.devicePixelRatio(), 2.0);
    const QImage doubled = one.scaled(32, 308);
    for (int i = 0; i < 9; ++i) {
        const Sample &s = Samples[i];
        const int top = 2 * (1 + 17 * i);
        const QImage sample = two.copy(0, top, 32, 32);
        EXPECT_EQ(two.copy(0, top - 2, 32, 2), doubled.copy(0, top - 2, 32, 2)) << "key row";
        EXPECT_EQ(Count(sample, QRect(0, 0, 32, 2), s.outline) +
                      Count(sample, QRect(0, 30, 32, 2), s.outline) +
                      Count(sample, QRect(0, 2, 2, 28), s.outline) +
                      Count(sample, QRect(30, 2, 2, 28), s.outline),
                  4 * 2 * 30)
            << s.caption << ": outline";
        int split = 0;
        for (int y = 2; y < 30; y += 2)
            for (int x = 2; x < 30; x += 2)
                split += sample.pixel(x, y) != sample.pixel(x + 1, y + 1) ||
                         sample.pixel(x + 1, y) != sample.pixel(x, y + 1);
        EXPECT_EQ(split > 0, !s.marks.empty()) << s.caption << ": " << split << " split blocks";
        for (QRgb mark : s.marks)
            EXPECT_GE(Count(sample, QRect(2, 2, 28, 28), mark), 6)
                << s.caption << ": no " << Describe(mark).toStdString();
    }
}

// ---------------------------------------------------------------------------------------------

struct GroupBox {
    const char *title;
    int left, top, right, bottom, stripBottom;
};

const GroupBox Groups[] = {
    {"Level", 4, 4, 112, 120, 24},
    {"Field Parameters", 116, 4, 272, 120, 24},
    {"Legend", 276, 4, 496, 216, 24},
    {"Game Settings", 4, 124, 272, 216, 144},
    {"Probability Engine Settings", 4, 220, 496, 296, 240},
};

TEST(ArtworkSettings, GroupBoxes_HaveOnePixelNavyOutlinesAndTitleStripsWhereTheDialogPutsThem)
{
    const QImage bg = Load("SETTINGSBKGND");
    for (const GroupBox &g : Groups) {
        const int w = g.right - g.left + 1, h = g.bottom - g.top + 1;
        EXPECT_EQ(Count(bg, QRect(g.left, g.top, w, 1), Navy), w) << g.title << " top";
        EXPECT_EQ(Count(bg, QRect(g.left, g.bottom, w, 1), Navy), w) << g.title << " bottom";
        EXPECT_EQ(Count(bg, QRect(g.left, g.stripBottom, w, 1), Navy), w) << g.title << " strip";
        EXPECT_EQ(Count(bg, QRect(g.left, g.top, 1, h), Navy), h) << g.title << " left";
        EXPECT_EQ(Count(bg, QRect(g.right, g.top, 1, h), Navy), h) << g.title << " right";
        // One pixel wide: no navy just outside or just inside the outline, nor inside the
        // 20-pixel title strip.
        EXPECT_EQ(Count(bg, QRect(g.left - 1, g.top, 1, h), Navy), 0) << g.title;
        EXPECT_EQ(Count(bg, QRect(g.right + 1, g.top, 1, h), Navy), 0) << g.title;
        EXPECT_EQ(Count(bg, QRect(g.left + 1, g.top + 1, w - 2, g.stripBottom - g.top - 1), Navy),
                  0)
            << g.title << " title strip";
        EXPECT_EQ(Count(bg, QRect(g.left + 1, g.stripBottom + 1, w - 2, 1), Navy), 0) << g.title;
        EXPECT_EQ(Count(bg, QRect(g.left + 1, g.bottom - 1, w - 2, 1), Navy), 0) << g.title;
        EXPECT_EQ(Count(bg, QRect(g.left, g.bottom + 1, w, 1), Navy), 0) << g.title;
    }
}

TEST(ArtworkSettings, Background_IsPaleBlueVioletAndNavyTextReadsWellInEveryGroup)
{
    const QImage bg = Load("SETTINGSBKGND");
    double red = 0, green = 0, blue = 0;
    for (int y = 0; y < bg.height(); ++y)
        for (int x = 0; x < bg.width(); ++x) {
            red += qRed(bg.pixel(x, y));
            green += qGreen(bg.pixel(x, y));
            blue += qBlue(bg.pixel(x, y));
        }
    const double n = double(bg.width() * bg.height());
    EXPECT_GT(blue / n, red / n + 10) << "blue-violet";
    EXPECT_GT(blue / n, green / n + 10) << "blue-violet";
    EXPECT_GT(Luminance(qRgb(int(red / n), int(green / n), int(blue / n))), 0.6) << "pale";

    for (const GroupBox &g : Groups) {
        const QImage inside =
            bg.copy(g.left + 1, g.top + 1, g.right - g.left - 1, g.bottom - g.top - 1);
        double worst = 1e9;
        for (int y = 0; y < inside.height(); ++y)
            for (int x = 0; x < inside.width(); ++x)
                if (g.top + 1 + y != g.stripBottom) // the strip's own navy line
                    worst = std::min(worst, Contrast(Navy, inside.pixel(x, y)));
        EXPECT_GE(worst, 7.0) << g.title;
    }
}

// ---------------------------------------------------------------------------------------------

TEST(ArtworkBestTimes, NavyLabelsReadWellOnEveryRow)
{
    const QImage bg = Load("BESTBKGND");
    for (int top : {8, 32, 56, 80, 104}) {
        const QImage row = bg.copy(8, top, 298, 13);
        const double worst = WorstPercentile(row, [](QRgb c) { return Contrast(Navy, c); });
        EXPECT_GE(worst, 7.0) << "row at " << top;
    }
}

// ---------------------------------------------------------------------------------------------

struct TextArea {
    const char *what;
    QRect area;
};

const TextArea MainTextAreas[] = {
    {"Mines Left", QRect(4, 4, 92, 26)},        {"mines left counter", QRect(96, 4, 97, 25)},
    {"around the face", QRect(360, 4, 56, 25)}, {"Time", QRect(632, 4, 44, 26)},
    {"time counter", QRect(676, 4, 97, 25)},    {"statistics panel", QRect(776, 4, 186, 498)},
    {"menu", QRect(776, 504, 186, 130)},        {"bottom line", QRect(0, 638, 964, 18)},
};

TEST(ArtworkMainBackground, WhereTheWindowWritesNavyText_ThePictureIsLightAndQuiet)
{
    const QImage bg = Load("MAINBKGND");
    for (const TextArea &t : MainTextAreas) {
        const QImage part = bg.copy(t.area);
        double worstNavy = 1e9, worstPurple = 1e9, low = 1, high = 0;
        for (int y = 0; y < part.height(); ++y)
            for (int x = 0; x < part.width(); ++x) {
                const QRgb c = part.pixel(x, y);
                worstNavy = std::min(worstNavy, Contrast(Navy, c));
                worstPurple = std::min(worstPurple, Contrast(Purple, c));
                low = std::min(low, Luminance(c));
                high = std::max(high, Luminance(c));
            }
        EXPECT_GE(worstNavy, 10.0) << t.what;
        EXPECT_GE(worstPurple, 6.0) << t.what << ": a label under the pointer";
        EXPECT_LE(high - low, 0.12) << t.what << ": too busy for text";
    }
}

TEST(ArtworkMainBackground, BoardTextures_AreMidDarkWhenClosedAndLightWhenOpen)
{
    const Textures t = BoardTextures();
    const double closedDarkest = WorstPercentile(t.closed, [](QRgb c) { return Luminance(c); });
    const double closedLightest = -WorstPercentile(t.closed, [](QRgb c) { return -Luminance(c); });
    const double openDarkest = WorstPercentile(t.open, [](QRgb c) { return Luminance(c); });
    EXPECT_GE(closedDarkest, 0.07) << "closed sectors too dark for black mine letters";
    EXPECT_LE(closedLightest, 0.25) << "closed sectors too light for light figures";
    EXPECT_GE(openDarkest, 0.65) << "open sectors too dark for the numbers";
}

struct Ink {
    const char *what;
    QRgb colour;
    double minContrast; // luminance contrast the figure keeps on all but 1% of the texture
};

// The pure light colours (green, cyan) cannot reach much more even on white paper
// (2.5 and 2.3); the dark ones must read as clearly as body text.
const Ink OpenInks[] = {
    {"1", qRgb(0, 0, 192), 4.5},   {"2", qRgb(0, 192, 0), 1.7},     {"3", qRgb(192, 0, 0), 4.5},
    {"4", qRgb(0, 0, 128), 7.0},   {"5", qRgb(128, 0, 0), 7.0},     {"6", qRgb(0, 192, 192), 1.6},
    {"7", qRgb(0, 128, 128), 3.0}, {"8", qRgb(128, 128, 128), 2.6},
};

TEST(ArtworkMainBackground, OpenTexture_KeepsEveryNumberColourReadable)
{
    const Textures t = BoardTextures();
    for (const Ink &ink : OpenInks) {
        const double worst =
            WorstPercentile(t.open, [&](QRgb c) { return Contrast(ink.colour, c); });
        EXPECT_GE(worst, ink.minContrast) << "number " << ink.what;
    }
}

TEST(ArtworkMainBackground, ClosedTexture_KeepsMarkersMinesAndProbabilitiesReadable)
{
    const Textures t = BoardTextures();
    const Ink closedInks[] = {
        {"marker X", qRgb(255, 255, 128), 4.5},
        {"probability 0.00", qRgb(255, 255, 255), 4.5},
        {"probability 0.50", qRgb(255, 127, 127), 2.0},
        {"mine X after a loss", qRgb(0, 0, 0), 2.8},
    };
    for (const Ink &ink : closedInks) {
        const double worst =
            WorstPercentile(t.closed, [&](QRgb c) { return Contrast(ink.colour, c); });
        EXPECT_GE(worst, ink.minContrast) << ink.what;
    }
    // Pure red has about the luminance of the closed texture; it must stand out by its hue.
    const double redDistance =
        WorstPercentile(t.closed, [](QRgb c) { return ColourDistance(qRgb(255, 0, 0), c); });
    EXPECT_GE(redDistance, 90.0) << "probability 1.00";
}

} // namespace
