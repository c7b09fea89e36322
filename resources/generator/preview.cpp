// Renders the packed pictures the way the windows use them, for looking at by eye:
// the main window with boards at two sector sizes (textures derived from MAINBKGND, numbers in
// every colour, markers, probabilities, the lost look), the settings and best-times dialogs
// with their labels, and the small pictures enlarged.
//
//   QT_QPA_PLATFORM=offscreen kelvane-artwork-preview OUTPUT_DIR

#include "artwork.h"

#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QTextStream>

#include <cmath>
#include <cstdint>
#include <vector>

namespace
{

const QColor Navy(0, 0, 128);
const QColor Cream(255, 251, 240);

const QColor NumberColors[9] = {
    QColor(0, 0, 0),     QColor(0, 0, 192),   QColor(0, 192, 0),
    QColor(192, 0, 0),   QColor(0, 0, 128),   QColor(128, 0, 0),
    QColor(0, 192, 192), QColor(0, 128, 128), QColor(128, 128, 128),
};

QFont Arial(int points, bool bold)
{
    QFont font("Arial", points);
    font.setBold(bold);
    return font;
}

QFont ArialPixels(int pixels, bool bold)
{
    QFont font("Arial");
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// What a sector shows in the mock board.
struct Sector {
    enum Look { Closed, Open, Marker, Highlight, Probability, Mine, WrongMarker, Triggered };
    Look look = Closed;
    int number = 0;
    float prob = 0.0f;
};

class MockBoard
{
  public:
    MockBoard(const QImage &background, int cols, int rows, int cellSize)
        : Cols(cols), Rows(rows), Cell(cellSize), Sectors(std::size_t(cols * rows))
    {
        SmallFont = int(std::nearbyint(float(cellSize) / 3.0f));
        LargeFont = int(std::nearbyint(float(cellSize) * 2.0f / 3.0f));
        const int w = cols * cellSize + 1, h = rows * cellSize + 1;
        Left = (769 - w) >> 1;
        Top = (601 - h) >> 1;
        // The textures: the picture under the field, darkened and washed out.
        Closed = background.copy(4 + Left, 32 + Top, w, h).convertToFormat(QImage::Format_RGB32);
        Open = Closed;
        for (int y = 0; y < h; ++y) {
            QRgb *c = reinterpret_cast<QRgb *>(Closed.scanLine(y));
            QRgb *o = reinterpret_cast<QRgb *>(Open.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const QRgb p = c[x];
                c[x] = qRgb(qRed(p) >> 1, qGreen(p) >> 1, qBlue(p) >> 1);
                o[x] = qRgb((qRed(p) >> 1) + 128, (qGreen(p) >> 1) + 128, (qBlue(p) >> 1) + 128);
            }
        }
        Field = background.copy(4, 32, 769, 601).convertToFormat(QImage::Format_RGB32);
    }

    Sector &At(int c, int r) { return Sectors[std::size_t(c * Rows + r)]; }

    QImage Render()
    {
        QPainter p(&Field);
        p.drawImage(Left, Top, Closed);
        p.setPen(Qt::black);
        for (int i = 0; i <= Cols; ++i)
            p.drawLine(Left + i * Cell, Top, Left + i * Cell, Top + Rows * Cell);
        for (int j = 0; j <= Rows; ++j)
            p.drawLine(Left, Top + j * Cell, Left + Cols * Cell, Top + j * Cell);
        for (int c = 0; c < Cols; ++c)
            for (int r = 0; r < Rows; ++r)
                DrawSector(p, c, r);
        return Field;
    }

  private:
    void Texture(QPainter &p, const QImage &from, int c, int r)
    {
        p.drawImage(Left + c * Cell + 1, Top + r * Cell + 1, from, c * Cell + 1, r * Cell + 1,
                    Cell - 1, Cell - 1);
    }

    void Text(QPainter &p, int c, int r, const QString &text, const QColor &colour, int points)
    {
        p.setFont(Arial(points, true));
        const QFontMetrics fm = p.fontMetrics();
        const int w = fm.horizontalAdvance(text), h = fm.height();
        const int x = Left + c * Cell, y = Top + r * Cell;
        p.save();
        p.setClipRect(x + 1, y + 1, Cell - 1, Cell - 1);
        p.setPen(colour);
        p.drawText(x + ((Cell - w + 1) >> 1), y + ((Cell - h + 1) >> 1) + fm.ascent(), text);
        p.restore();
    }

    void DrawSector(QPainter &p, int c, int r)
    {
        const Sector &s = At(c, r);
        const int x = Left + c * Cell, y = Top + r * Cell;
        switch (s.look) {
        case Sector::Closed:
            break;
        case Sector::Open:
            Texture(p, Open, c, r);
            if (s.number > 0)
                Text(p, c, r, QString::number(s.number), NumberColors[s.number], LargeFont);
            break;
        case Sector::Marker:
            Text(p, c, r, "X", QColor(255, 255, 128), LargeFont);
            break;
        case Sector::Highlight:
            p.fillRect(x + 1, y + 1, Cell - 1, Cell - 1, QColor(255, 255, 128));
            break;
        case Sector::Probability: {
            const int v = int(std::floor(256.0f * ((1.0f + s.prob) - 1.0f)));
            const int g = std::max(0, 255 - v);
            Text(p, c, r, QString::number(double(s.prob), 'f', 2), QColor(255, g, g), SmallFont);
            break;
        }
        case Sector::Mine:
            Text(p, c, r, "X", Qt::black, LargeFont);
            break;
        case Sector::WrongMarker: {
            Text(p, c, r, "X", QColor(255, 255, 128), LargeFont);
            const int a = int(std::nearbyint(0.2f * float(Cell)));
            const int b = int(std::nearbyint(0.05f * float(Cell)));
            const int m = y + (Cell >> 1);
            p.fillRect(QRect(QPoint(x + a, m - b), QPoint(x + Cell - a, m + b - 1)), Qt::red);
            break;
        }
        case Sector::Triggered:
            p.fillRect(x + 1, y + 1, Cell - 1, Cell - 1, Qt::red);
            Text(p, c, r, "X", Qt::black, LargeFont);
            break;
        }
    }

    int Cols, Rows, Cell, Left = 0, Top = 0, SmallFont = 8, LargeFont = 16;
    std::vector<Sector> Sectors;
    QImage Closed, Open, Field;
};

uint32_t Next(uint32_t &seed)
{
    seed = seed * 134775813u + 1u;
    return seed >> 16;
}

// A board as it looks in play: a cleared region with numbers, markers on its edge and
// probabilities on the closed sectors beside it.
void PlayedBoard(MockBoard &board, int cols, int rows, int mines, uint32_t seed, bool lost)
{
    std::vector<int> mined(std::size_t(cols * rows), 0);
    auto at = [&](int c, int r) { return std::size_t(c * rows + r); };
    for (int placed = 0; placed < mines;) {
        const int c = int(Next(seed) % uint32_t(cols)), r = int(Next(seed) % uint32_t(rows));
        if (std::abs(c - cols / 3) <= 1 && std::abs(r - rows / 2) <= 1) continue;
        if (!mined[at(c, r)]) {
            mined[at(c, r)] = 1;
            ++placed;
        }
    }
    auto count = [&](int c, int r) {
        int n = 0;
        for (int dc = -1; dc <= 1; ++dc)
            for (int dr = -1; dr <= 1; ++dr) {
                const int x = c + dc, y = r + dr;
                if (x >= 0 && y >= 0 && x < cols && y < rows && mined[at(x, y)]) ++n;
            }
        return n;
    };
    std::vector<int> open(std::size_t(cols * rows), 0);
    std::vector<std::pair<int, int>> stack = {{cols / 3, rows / 2}};
    while (!stack.empty()) {
        const auto [c, r] = stack.back();
        stack.pop_back();
        if (c < 0 || r < 0 || c >= cols || r >= rows || open[at(c, r)] || mined[at(c, r)]) continue;
        open[at(c, r)] = 1;
        if (count(c, r) == 0)
            for (int dc = -1; dc <= 1; ++dc)
                for (int dr = -1; dr <= 1; ++dr)
                    stack.push_back({c + dc, r + dr});
    }
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            Sector &s = board.At(c, r);
            if (open[at(c, r)]) {
                s.look = Sector::Open;
                s.number = count(c, r);
                continue;
            }
            bool frontier = false;
            for (int dc = -1; dc <= 1; ++dc)
                for (int dr = -1; dr <= 1; ++dr) {
                    const int x = c + dc, y = r + dr;
                    if (x >= 0 && y >= 0 && x < cols && y < rows && open[at(x, y)]) frontier = true;
                }
            if (frontier && mined[at(c, r)] && (Next(seed) % 3) != 0)
                s.look = Sector::Marker;
            else if (frontier || (c > cols / 2 && r < rows / 2)) {
                s.look = Sector::Probability;
                s.prob = mined[at(c, r)] ? 0.6f + float(Next(seed) % 41) / 100.0f
                                         : float(Next(seed) % 45) / 100.0f;
            }
            if (lost && mined[at(c, r)] && s.look != Sector::Marker && c > cols / 2 &&
                r >= rows / 2)
                s.look = Sector::Mine;
        }
    if (lost) {
        board.At(cols - 3, rows - 3).look = Sector::Triggered;
        board.At(cols - 5, rows - 2).look = Sector::WrongMarker;
    }
    board.At(cols - 2, 1).look = Sector::Highlight;
}

// Every number colour, side by side, on the open texture, and every probability figure.
void ColourChart(MockBoard &board, int cols, int rows)
{
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            Sector &s = board.At(c, r);
            if (c < cols / 2) {
                s.look = Sector::Open;
                s.number = (c + r) % 9;
            } else if (r % 4 == 3) {
                s.look = (c % 3 == 0) ? Sector::Marker
                                      : (c % 3 == 1 ? Sector::Mine : Sector::WrongMarker);
            } else {
                s.look = Sector::Probability;
                s.prob = float((c - cols / 2) * 3 + r % 4) / float((cols - cols / 2) * 3 - 1);
                if (s.prob > 1.0f) s.prob = 1.0f;
            }
        }
    board.At(cols - 1, rows - 1).look = Sector::Triggered;
}

void Label(QPainter &p, int x, int y, const QString &text, const QFont &font,
           const QColor &colour = Navy)
{
    p.setFont(font);
    p.setPen(colour);
    p.drawText(x, y + QFontMetrics(font).ascent(), text);
}

void RightLabel(QPainter &p, int left, int width, int y, const QString &text, const QFont &font)
{
    p.setFont(font);
    p.setPen(Navy);
    const QFontMetrics fm(font);
    p.drawText(left + width - fm.horizontalAdvance(text), y + fm.ascent(), text);
}

void Counter(QPainter &p, const QImage &background, int x, int y, const QString &text)
{
    QImage box = background.copy(x, y, 97, 25);
    QPainter b(&box);
    b.setPen(Navy);
    b.drawRect(0, 0, 96, 24);
    b.setFont(Arial(12, true));
    const QFontMetrics fm = b.fontMetrics();
    b.drawText((97 - fm.horizontalAdvance(text) + 1) >> 1,
               ((25 - fm.height() + 1) >> 1) + fm.ascent(), text);
    b.end();
    p.drawImage(x, y, box);
}

QImage MainWindow(const QImage &board)
{
    const QImage background = LoadArtwork(u"MAINBKGND");
    QImage window = background.copy();
    QPainter p(&window);
    p.drawImage(4, 32, board);
    const QFont bold16 = ArialPixels(16, true);
    const QFont small = Arial(8, false);
    const QFont smallBold = Arial(8, true);
    Label(p, 4, 6, "Mines Left", bold16);
    Counter(p, background, 96, 4, "87");
    p.drawImage(376, 4, LoadArtwork(u"FACEBITMAP0"));
    Label(p, 632, 6, "Time", bold16);
    Counter(p, background, 676, 4, "123.4");

    p.setPen(Navy);
    p.setBrush(Qt::NoBrush);
    const int frames[][2] = {{4, 21},   {24, 41},  {64, 73},  {136, 73},
                             {208, 57}, {264, 41}, {304, 197}};
    for (const auto &f : frames)
        p.drawRect(776, f[0], 184, f[1] - 1);
    Label(p, 784, 8, "Probability Engine Statistics", smallBold);
    struct Row {
        int y;
        const char *caption;
        int left, width;
        const char *value;
    };
    const Row rows[] = {
        {32, "Sector Index", 896, 57, "(12, 7)"},
        {48, "Probability", 896, 57, "0.3750"},
        {72, "Calculation Mode", 896, 57, "Advanced"},
        {88, "Step Depth", 904, 49, "25"},
        {104, "Duplicate Checking", 904, 49, "True"},
        {120, "Combinations Checking", 896, 57, "Optimal"},
        {144, "Adjacent Closed Sectors", 904, 49, "31"},
        {160, "Adjacent Open Sectors", 904, 49, "24"},
        {176, "Adjacent Partial Sectors", 904, 49, "3"},
        {192, "Max Combinations", 872, 81, "1048576"},
        {216, "Run", 880, 73, "3 of 4"},
        {232, "Combinations", 872, 81, "786432"},
        {248, "Successful", 856, 97, "10240 (77)"},
        {272, "Engine Status", 864, 89, "Finished"},
        {288, "Recalculation Needed?", 920, 33, "False"},
    };
    for (const Row &r : rows) {
        Label(p, 784, r.y, r.caption, small);
        RightLabel(p, r.left, r.width, r.y, r.value, small);
    }
    Label(p, 784, 312, "Completed in 0.412 seconds", small);
    Label(p, 784, 328, "Rate: 1,908,815 combinations/s", small);
    QImage bar = background.copy(784, 476, 169, 17);
    {
        QPainter b(&bar);
        b.setPen(Navy);
        b.drawRect(0, 0, 168, 16);
        b.fillRect(0, 0, 84, 17, Navy);
    }
    p.drawImage(784, 476, bar);
    p.setPen(Navy);
    p.setBrush(Qt::NoBrush);
    p.drawRect(776, 504, 184, 128);
    Label(p, 784, 512, "New Game", bold16);
    Label(p, 784, 536, "Level...", bold16, QColor(128, 0, 128));
    Label(p, 784, 560, "Settings", bold16);
    Label(p, 784, 584, "Best Times", bold16);
    Label(p, 784, 608, "Help", bold16);
    Label(p, 8, 640, "Game Over!", small);
    Label(p, 312, 640, "Made with care in Kelvane", smallBold);
    QFont link = smallBold;
    link.setUnderline(true);
    Label(p, 592, 640, "Kelvane Homepage", link);
    Label(p, 904, 640, "Sponsor", link);
    return window;
}

void Button(QPainter &p, int x, int y, const QString &text, const QFont &font)
{
    QImage image(97, 25, QImage::Format_RGB32);
    image.fill(Cream);
    QPainter b(&image);
    b.setPen(QPen(Navy, 2));
    b.setBrush(Cream);
    b.drawRect(1, 1, 96, 24);
    b.setFont(font);
    const QFontMetrics fm(font);
    b.drawText((97 - fm.horizontalAdvance(text)) / 2, (25 - fm.height()) / 2 + fm.ascent(), text);
    b.end();
    p.drawImage(x, y, image);
}

void TextImage(QPainter &p, int x, int y, int w, const QString &text, bool centred)
{
    QImage image(w, 21, QImage::Format_RGB32);
    QPainter b(&image);
    b.setPen(Navy);
    b.setBrush(Cream);
    b.drawRect(0, 0, w - 1, 20);
    const QFontMetrics fm = b.fontMetrics();
    const int tx = centred ? (w - fm.horizontalAdvance(text)) >> 1 : 2;
    b.drawText(tx, ((21 - fm.height()) >> 1) + fm.ascent(), text);
    b.end();
    p.drawImage(x, y, image);
}

QImage SettingsDialog()
{
    QImage dialog = LoadArtwork(u"SETTINGSBKGND");
    QPainter p(&dialog);
    const QFont font = Arial(8, false), bold = Arial(8, true);
    Label(p, 8, 8, "Level", bold);
    Label(p, 120, 8, "Field Parameters", bold);
    Label(p, 280, 8, "Legend", bold);
    Label(p, 8, 128, "Game Settings", bold);
    Label(p, 8, 224, "Probability Engine Settings", bold);
    const QImage off = LoadKeyedArtwork(u"CHECKBOX0"), on = LoadKeyedArtwork(u"CHECKBOX1");
    const char *levels[] = {"Beginner", "Intermediate", "Expert", "Ultra", "Custom"};
    for (int i = 0; i < 5; ++i) {
        p.drawImage(8, 32 + 16 * i, i == 4 ? on : off);
        Label(p, 24, 32 + 16 * i, levels[i], font);
    }
    const QImage upDown = LoadArtwork(u"ARROWUPDOWN"), down = LoadArtwork(u"ARROWDOWN");
    Label(p, 120, 32, "Horizontal size", font);
    Label(p, 120, 56, "Vertical size", font);
    Label(p, 120, 80, "Mines to put", font);
    TextImage(p, 200, 32, 49, "30", true);
    TextImage(p, 200, 56, 49, "20", true);
    TextImage(p, 200, 80, 49, "120", true);
    for (int y : {32, 56, 80})
        p.drawImage(248, y, upDown);
    p.drawImage(8, 152, on);
    Label(p, 24, 152, "Timed Game", font);
    p.drawImage(8, 168, off);
    Label(p, 24, 168, "Trainer Mode", font);
    p.drawImage(144, 152, on);
    Label(p, 160, 152, "Fair Play", font);
    p.drawImage(144, 168, on);
    Label(p, 160, 168, "Probability Display", font);
    Label(p, 8, 192, "Maximal Sector Size", font);
    TextImage(p, 144, 192, 105, "Unlimited", false);
    p.drawImage(248, 192, down);
    Label(p, 8, 248, "Calculation Mode", font);
    TextImage(p, 144, 248, 105, "Advanced", false);
    p.drawImage(248, 248, down);
    Label(p, 8, 272, "Duplicate Checking", font);
    TextImage(p, 144, 272, 105, "True", false);
    p.drawImage(248, 272, down);
    Label(p, 280, 248, "Step Depth", font);
    TextImage(p, 368, 248, 105, "25", false);
    p.drawImage(472, 248, upDown);
    Label(p, 280, 272, "Comb. Checking", font);
    TextImage(p, 368, 272, 105, "Optimal", false);
    p.drawImage(472, 272, down);
    p.drawImage(280, 32, LoadKeyedArtwork(u"LEGEND"));
    const char *captions[] = {"Closed sector",
                              "Closed sector, calculating probability",
                              "Closed sector, probability calculated",
                              "Mine marker",
                              "Open sector, no mines around",
                              "Open sector with mines around",
                              "Mine triggered (Trainer Mode)",
                              "Incorrect mine marker (Trainer Mode)",
                              "Non-marked mine (game over)"};
    const int captionY[] = {32, 50, 67, 85, 102, 120, 137, 155, 172};
    for (int i = 0; i < 9; ++i)
        Label(p, 304, captionY[i], captions[i], font);
    Button(p, 296, 300, "OK", bold);
    Button(p, 400, 300, "Cancel", bold);
    return dialog;
}

QImage BestDialog()
{
    QImage dialog = LoadArtwork(u"BESTBKGND");
    QPainter p(&dialog);
    const QFont font = ArialPixels(11, false);
    QFont bold = font;
    bold.setBold(true);
    Label(p, 8, 8, "Level", bold);
    Label(p, 88, 8, "Time", bold);
    Label(p, 184, 8, "Name", bold);
    const char *levels[] = {"Beginner", "Intermediate", "Expert", "Ultra"};
    const char *times[] = {"7.1 seconds", "40.3 seconds", "999.9 seconds", "512.6 seconds"};
    const char *names[] = {"Player One", "Anonymous", "Anonymous", "Sixteen letters!"};
    for (int i = 0; i < 4; ++i) {
        Label(p, 8, 32 + 24 * i, levels[i], font);
        Label(p, 88, 32 + 24 * i, times[i], font);
        Label(p, 184, 32 + 24 * i, names[i], font);
    }
    Button(p, 4, 128, "Reset Scores", bold);
    Button(p, 212, 128, "OK", bold);
    return dialog;
}

// The small pictures, eight times enlarged on a mid-grey sheet, each also at its true size.
QImage SmallPictures()
{
    const char *names[] = {"FACEBITMAP0", "FACEBITMAP1", "FACEBITMAP2", "CHECKBOX0", "CHECKBOX1",
                           "ARROWUPDOWN", "ARROWDOWN",   "MAINICON",    "LEGEND"};
    const int scale = 8;
    QImage sheet(1500, 1300, QImage::Format_RGB32);
    sheet.fill(QColor(150, 150, 160));
    QPainter p(&sheet);
    int x = 10, y = 10, rowHeight = 0;
    for (const char *name : names) {
        const QImage image = LoadArtwork(QString::fromLatin1(name));
        const int w = image.width() * scale, h = image.height() * scale;
        if (x + w > sheet.width() - 40) {
            x = 10;
            y += rowHeight + 30;
            rowHeight = 0;
        }
        p.drawImage(QRect(x, y, w, h), image);
        p.drawImage(x + w + 6, y, image);
        x += w + image.width() + 30;
        rowHeight = std::max(rowHeight, h);
    }
    return sheet;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        QTextStream(stderr) << "usage: kelvane-artwork-preview OUTPUT_DIR\n";
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(dir.path());
    const QImage background = LoadArtwork(u"MAINBKGND");
    if (background.isNull()) {
        QTextStream(stderr) << "MAINBKGND is not among the resources\n";
        return 1;
    }

    MockBoard expert(background, 24, 20, 30);
    ColourChart(expert, 24, 20);
    MockBoard ultra(background, 32, 25, 24);
    PlayedBoard(ultra, 32, 25, 180, 7, true);
    MockBoard beginner(background, 10, 10, 60);
    PlayedBoard(beginner, 10, 10, 10, 3, false);
    MockBoard intermediate(background, 16, 16, 24);
    PlayedBoard(intermediate, 16, 16, 40, 5, false);

    const struct {
        const char *file;
        QImage image;
    } outputs[] = {
        {"main_expert_chart.png", MainWindow(expert.Render())},
        {"main_ultra_lost.png", MainWindow(ultra.Render())},
        {"main_beginner_60.png", MainWindow(beginner.Render())},
        {"main_intermediate_24.png", MainWindow(intermediate.Render())},
        {"settings.png", SettingsDialog()},
        {"best.png", BestDialog()},
        {"small_pictures.png", SmallPictures()},
    };
    for (const auto &out : outputs) {
        const QString path = dir.filePath(out.file);
        if (!out.image.save(path)) {
            QTextStream(stderr) << "cannot write " << path << "\n";
            return 1;
        }
        QTextStream(stdout) << path << "\n";
    }
    return 0;
}
