#include "settings.h"

#include "level_table.h"

#include <QDir>
#include <algorithm>

namespace
{

constexpr int32_t DefaultLeft = 16;
constexpr int32_t DefaultTop = 16;
constexpr int32_t DefaultLevel = 1;
constexpr int32_t MinSizeX = 8;
constexpr int32_t MaxSizeX = 32;
constexpr int32_t MinSizeY = 8;
constexpr int32_t MaxSizeY = 25;
constexpr int32_t MaxScaleLimit = 3;
constexpr int32_t DefaultCheckingMode = 1;
constexpr int32_t MinStepDepth = 20;
constexpr int32_t MaxStepDepth = 30;
constexpr int32_t DefaultStepDepth = 25;

const QString Window = QStringLiteral("Window");
const QString Field = QStringLiteral("Field");
const QString Game = QStringLiteral("Game");
const QString Engine = QStringLiteral("Engine");
const QString BestScores = QStringLiteral("BestScores");
const QString Kelvane = QStringLiteral("Kelvane");
const QString NoGuessKey = QStringLiteral("NoGuess");

const QString TimeKeys[4] = {QStringLiteral("BeginnerTime"), QStringLiteral("IntermediateTime"),
                             QStringLiteral("ExpertTime"), QStringLiteral("UltraTime")};
const QString NameKeys[4] = {QStringLiteral("BeginnerName"), QStringLiteral("IntermediateName"),
                             QStringLiteral("ExpertName"), QStringLiteral("UltraName")};

// The first `count` characters, never splitting a character that takes two UTF-16 units.
QString FirstCharacters(const QString &text, int count)
{
    qsizetype units = 0;
    for (int taken = 0; taken < count && units < text.size(); ++taken) {
        const bool pair = text[units].isHighSurrogate() && units + 1 < text.size() &&
                          text[units + 1].isLowSurrogate();
        units += pair ? 2 : 1;
    }
    return text.left(units);
}

int32_t Flag(bool on)
{
    return on ? 1 : 0;
}

QString FileMessage(const QString &path, const QString &what, const QString &reason,
                    const QString &consequence)
{
    return QStringLiteral("The settings file \"%1\" could not be %2: %3.\n%4")
        .arg(QDir::toNativeSeparators(path), what, reason, consequence);
}

const QString LoadConsequence = QStringLiteral("The game starts with its default settings.");
const QString SaveConsequence =
    QStringLiteral("The settings and best times of this session were not saved.");

} // namespace

void ReadSettings(const SettingsStore &store, TGameState &game, MainWindowSettings &window)
{
    window.Left = store.ReadInteger(Window, QStringLiteral("Left"), DefaultLeft);
    window.Top = store.ReadInteger(Window, QStringLiteral("Top"), DefaultTop);

    game.Level =
        std::clamp(store.ReadInteger(Field, QStringLiteral("Level"), DefaultLevel), 0, LevelCustom);
    if (game.Level < LevelCustom) {
        const LevelRow &row = LevelTable[game.Level];
        game.SizeX = row.SizeX;
        game.SizeY = row.SizeY;
        game.Mines = row.Mines;
    } else {
        const LevelRow &defaults = LevelTable[DefaultLevel];
        game.SizeX = std::clamp(store.ReadInteger(Field, QStringLiteral("SizeX"), defaults.SizeX),
                                MinSizeX, MaxSizeX);
        game.SizeY = std::clamp(store.ReadInteger(Field, QStringLiteral("SizeY"), defaults.SizeY),
                                MinSizeY, MaxSizeY);
        const int32_t mines = store.ReadInteger(Field, QStringLiteral("Mines"), defaults.Mines);
        // A negative count would leave more safe sectors to open than the field has, and
        // the game could never be won.
        game.Mines = std::clamp(mines, 0, MineLimit(game.SizeX, game.SizeY));
    }
    game.MaxX = game.SizeX - 1;
    game.MaxY = game.SizeY - 1;

    game.FairPlay = Flag(store.ReadBool(Game, QStringLiteral("FairPlay"), true));
    game.TrainerMode = Flag(store.ReadBool(Game, QStringLiteral("TrainerMode"), false));
    game.TimedGame = Flag(store.ReadBool(Game, QStringLiteral("TimedGame"), true));
    game.ProbDisplay = Flag(store.ReadBool(Game, QStringLiteral("ProbDisplay"), true));
    window.MaxScale = std::clamp(store.ReadInteger(Game, QStringLiteral("MaxScale"), MaxScaleLimit),
                                 0, MaxScaleLimit);

    game.AdvancedMode = Flag(store.ReadBool(Engine, QStringLiteral("AdvancedMode"), true));
    game.DupCheck = Flag(store.ReadBool(Engine, QStringLiteral("DupCheck"), true));
    const int32_t checkingMode =
        store.ReadInteger(Engine, QStringLiteral("CheckingMode"), DefaultCheckingMode);
    game.CheckingMode = checkingMode < 0 || checkingMode > 2 ? DefaultCheckingMode : checkingMode;
    game.StepDepth =
        std::clamp(store.ReadInteger(Engine, QStringLiteral("StepDepth"), DefaultStepDepth),
                   MinStepDepth, MaxStepDepth);

    for (int i = 0; i < 4; ++i) {
        const double time = store.ReadFloat(BestScores, TimeKeys[i], EmptyRecordTime);
        // The store gives only values a float holds; the comparison keeps the empty record's
        // own float value for anything above it.
        window.Best.BestTime[i] =
            time > EmptyRecordTime ? EmptyRecordTime : static_cast<float>(time);
    }
    for (int i = 0; i < 4; ++i) {
        window.Best.BestName[i] = FirstCharacters(
            store.ReadString(BestScores, NameKeys[i], QString::fromLatin1(EmptyRecordName)),
            BestNameLength);
    }

    window.NoGuess = store.ReadBool(Kelvane, NoGuessKey, false);
}

void WriteSettings(SettingsStore &store, const TGameState &game, const MainWindowSettings &window)
{
    store.WriteInteger(Window, QStringLiteral("Top"), window.Top);
    store.WriteInteger(Window, QStringLiteral("Left"), window.Left);

    store.WriteInteger(Field, QStringLiteral("Level"), game.Level);
    store.WriteInteger(Field, QStringLiteral("SizeX"), game.SizeX);
    store.WriteInteger(Field, QStringLiteral("SizeY"), game.SizeY);
    store.WriteInteger(Field, QStringLiteral("Mines"), game.Mines);

    store.WriteBool(Game, QStringLiteral("FairPlay"), game.FairPlay != 0);
    store.WriteBool(Game, QStringLiteral("TrainerMode"), game.TrainerMode != 0);
    store.WriteBool(Game, QStringLiteral("TimedGame"), game.TimedGame != 0);
    store.WriteBool(Game, QStringLiteral("ProbDisplay"), game.ProbDisplay != 0);
    store.WriteInteger(Game, QStringLiteral("MaxScale"), window.MaxScale);

    store.WriteBool(Engine, QStringLiteral("AdvancedMode"), game.AdvancedMode != 0);
    store.WriteBool(Engine, QStringLiteral("DupCheck"), game.DupCheck != 0);
    store.WriteInteger(Engine, QStringLiteral("CheckingMode"), game.CheckingMode);
    store.WriteInteger(Engine, QStringLiteral("StepDepth"), game.StepDepth);

    const QChar decimalPoint = LocaleDecimalPoint(store.Locale());
    for (int i = 0; i < 4; ++i)
        store.WriteString(BestScores, TimeKeys[i],
                          FormatBestTime(window.Best.BestTime[i], decimalPoint));
    for (int i = 0; i < 4; ++i)
        store.WriteString(BestScores, NameKeys[i], window.Best.BestName[i]);

    // Settings beyond the designed ones are written only when they differ from their
    // defaults, so that a file written from scratch holds the designed keys alone.
    if (window.NoGuess)
        store.WriteBool(Kelvane, NoGuessKey, true);
    else
        store.RemoveKey(Kelvane, NoGuessKey);
}

QString LoadSettings(const QString &path, TGameState &game, MainWindowSettings &window,
                     const QLocale &locale)
{
    SettingsStore store(locale);
    const bool opened = store.Open(path);
    // A file that cannot be read leaves the store empty, so every setting below takes its
    // default, exactly as for a missing file; only the message tells the two apart.
    ReadSettings(store, game, window);
    if (!opened)
        return FileMessage(path, QStringLiteral("read"), store.ErrorString(), LoadConsequence);
    return {};
}

QString SaveSettings(const QString &path, const TGameState &game, const MainWindowSettings &window,
                     const QLocale &locale)
{
    return SaveSettings(path, game, window, locale, {});
}

QString SaveSettings(const QString &path, const TGameState &game, const MainWindowSettings &window,
                     const QLocale &locale, const BeforeReplaceHook &beforeReplace)
{
    SettingsStore store(locale);
    // Writing over a file that could not be read would lose the lines kept for the user.
    if (!store.Open(path))
        return FileMessage(path, QStringLiteral("read"), store.ErrorString(), SaveConsequence);
    WriteSettings(store, game, window);
    if (!store.UpdateFile(beforeReplace))
        return FileMessage(path, QStringLiteral("written"), store.ErrorString(), SaveConsequence);
    return {};
}

QPoint KeepOnScreen(QPoint topLeft, QSize size, const QList<QRect> &screens, QRect primary)
{
    // In 64 bits: a position read from the file may lie anywhere in the 32-bit range.
    const int64_t left = topLeft.x();
    const int64_t top = topLeft.y();
    const int64_t right = left + std::max(size.width(), 1);
    const int64_t bottom = top + std::max(size.height(), 1);
    for (const QRect &screen : screens) {
        if (screen.isEmpty()) continue;
        const int64_t screenLeft = screen.left();
        const int64_t screenTop = screen.top();
        const int64_t screenRight = screenLeft + screen.width();
        const int64_t screenBottom = screenTop + screen.height();
        if (left < screenRight && screenLeft < right && top < screenBottom && screenTop < bottom)
            return topLeft;
    }
    if (primary.isEmpty()) return topLeft;
    return primary.topLeft() + QPoint(DefaultLeft, DefaultTop);
}
