// Any file contents: no crash, every loaded setting within its range, and a file the
// program wrote reads back to the same settings and writes back unchanged.
#include "level_table.h"
#include "settings.h"

#include <QByteArray>
#include <QString>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace
{

void Require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "settings fuzz: %s\n", what);
        std::abort();
    }
}

bool IsBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

QString Stripped(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && IsBlank(text[begin]))
        ++begin;
    while (end > begin && IsBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

qsizetype CodePoints(const QString &text)
{
    return static_cast<qsizetype>(text.toUcs4().size());
}

void RequireInRange(const TGameState &g, const MainWindowSettings &w)
{
    Require(g.Level >= 0 && g.Level <= LevelCustom, "Level");
    if (g.Level < LevelCustom) {
        const LevelRow &row = LevelTable[g.Level];
        Require(g.SizeX == row.SizeX && g.SizeY == row.SizeY && g.Mines == row.Mines,
                "fixed level field");
    }
    Require(g.SizeX >= 8 && g.SizeX <= 32, "SizeX");
    Require(g.SizeY >= 8 && g.SizeY <= 25, "SizeY");
    Require(g.Mines >= 0 && g.Mines <= MineLimit(g.SizeX, g.SizeY), "Mines");
    Require(g.MaxX == g.SizeX - 1 && g.MaxY == g.SizeY - 1, "MaxX, MaxY");
    for (int32_t flag :
         {g.FairPlay, g.TrainerMode, g.TimedGame, g.ProbDisplay, g.AdvancedMode, g.DupCheck})
        Require(flag == 0 || flag == 1, "flag");
    Require(w.MaxScale >= 0 && w.MaxScale <= 3, "MaxScale");
    Require(g.CheckingMode >= 0 && g.CheckingMode <= 2, "CheckingMode");
    Require(g.StepDepth >= 20 && g.StepDepth <= 30, "StepDepth");
    for (int i = 0; i < 4; ++i) {
        Require(std::isfinite(w.Best.BestTime[i]) && w.Best.BestTime[i] <= EmptyRecordTime,
                "BestTime");
        Require(CodePoints(w.Best.BestName[i]) <= BestNameLength, "BestName");
    }
}

bool SameSettings(const TGameState &a, const MainWindowSettings &wa, const TGameState &b,
                  const MainWindowSettings &wb)
{
    const int32_t left[] = {a.Level,        a.SizeX,    a.SizeY,        a.Mines,     a.MaxX,
                            a.MaxY,         a.FairPlay, a.TrainerMode,  a.TimedGame, a.ProbDisplay,
                            a.AdvancedMode, a.DupCheck, a.CheckingMode, a.StepDepth, wa.Left,
                            wa.Top,         wa.MaxScale};
    const int32_t right[] = {b.Level,        b.SizeX,    b.SizeY,        b.Mines,     b.MaxX,
                             b.MaxY,         b.FairPlay, b.TrainerMode,  b.TimedGame, b.ProbDisplay,
                             b.AdvancedMode, b.DupCheck, b.CheckingMode, b.StepDepth, wb.Left,
                             wb.Top,         wb.MaxScale};
    return std::memcmp(left, right, sizeof left) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    static const QLocale locales[] = {QLocale::c(), QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::Arabic, QLocale::Egypt)};
    const QLocale &locale = locales[data[0] % 3];
    const QByteArray contents(reinterpret_cast<const char *>(data) + 1,
                              static_cast<qsizetype>(size - 1));

    // Records allocated once: a fresh 16 KB block per input costs more than the parsing.
    static const auto game = std::make_unique<TGameState>();
    static const auto again = std::make_unique<TGameState>();
    static const auto last = std::make_unique<TGameState>();
    std::memset(static_cast<void *>(game.get()), 0x5A, sizeof(TGameState));
    MainWindowSettings window;
    window.Left = window.Top = window.MaxScale = -7;
    // Read as LoadSettings reads a file, from memory: going through a file cost a second
    // parse and three system calls per input and tried nothing the contents do not.
    SettingsStore store(locale);
    store.Parse(contents);
    ReadSettings(store, *game, window);
    RequireInRange(*game, window);

    // The save of what was loaded, over the same file's lines.
    WriteSettings(store, *game, window);
    const QByteArray firstSave = store.Serialize();

    SettingsStore reread(locale);
    reread.Parse(firstSave);
    MainWindowSettings againWindow;
    ReadSettings(reread, *again, againWindow);
    RequireInRange(*again, againWindow);
    Require(SameSettings(*game, window, *again, againWindow), "settings changed on reload");
    for (int i = 0; i < 4; ++i) {
        // A time comes back as its one-decimal text, a name without blanks at its ends.
        Require(FormatBestTime(againWindow.Best.BestTime[i]) ==
                    FormatBestTime(window.Best.BestTime[i]),
                "time changed on reload");
        Require(againWindow.Best.BestName[i] == Stripped(window.Best.BestName[i]),
                "name changed on reload");
    }

    // From then on the file is settled: a load and a save write it back unchanged.
    WriteSettings(reread, *again, againWindow);
    const QByteArray secondSave = reread.Serialize();
    SettingsStore third(locale);
    third.Parse(secondSave);
    MainWindowSettings lastWindow;
    ReadSettings(third, *last, lastWindow);
    WriteSettings(third, *last, lastWindow);
    Require(third.Serialize() == secondSave, "a written file is not stable");
    return 0;
}
