#include "settings.h"

#include "file_layout.h"
#include "setting_table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace
{

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

// Where an integer or on/off setting lives in memory; const for a save, which only reads.
template <typename Game, typename Window>
auto Slot(Setting setting, Game &game, Window &window) -> decltype(&game.Level)
{
    switch (setting) {
    case Setting::Top:
        return &window.Top;
    case Setting::Left:
        return &window.Left;
    case Setting::Level:
        return &game.Level;
    case Setting::SizeX:
        return &game.SizeX;
    case Setting::SizeY:
        return &game.SizeY;
    case Setting::Mines:
        return &game.Mines;
    case Setting::FairPlay:
        return &game.FairPlay;
    case Setting::TrainerMode:
        return &game.TrainerMode;
    case Setting::TimedGame:
        return &game.TimedGame;
    case Setting::ProbDisplay:
        return &game.ProbDisplay;
    case Setting::MaxScale:
        return &window.MaxScale;
    case Setting::AdvancedMode:
        return &game.AdvancedMode;
    case Setting::DupCheck:
        return &game.DupCheck;
    case Setting::CheckingMode:
        return &game.CheckingMode;
    case Setting::StepDepth:
        return &game.StepDepth;
    case Setting::NoGuess:
        return &window.NoGuess;
    default:
        return nullptr; // times and names are read on their own
    }
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
    for (int i = 0; i < static_cast<int>(Setting::Count); ++i) {
        const Setting setting = static_cast<Setting>(i);
        const SettingRow &row = RowOf(setting);
        const QString section = QString::fromLatin1(row.Section);
        const QString key = QString::fromLatin1(row.Key);
        if (row.Kind == SettingKind::Time) {
            const int level = i - static_cast<int>(Setting::BeginnerTime);
            const double time = store.ReadFloat(section, key, EmptyRecordTime);
            // The store gives only values a float holds; the comparison keeps the empty
            // record's own float value for anything above it.
            window.Best.BestTime[level] =
                time > EmptyRecordTime ? EmptyRecordTime : static_cast<float>(time);
            continue;
        }
        if (row.Kind == SettingKind::Name) {
            const int level = i - static_cast<int>(Setting::BeginnerName);
            window.Best.BestName[level] = FirstCharacters(
                store.ReadString(section, key, QString::fromLatin1(EmptyRecordName)),
                BestNameLength);
            continue;
        }
        int32_t &value = *Slot(setting, game, window);
        const bool customKey =
            setting == Setting::SizeX || setting == Setting::SizeY || setting == Setting::Mines;
        if (customKey && game.Level < LevelCustom) {
            // A fixed level's field is its row of the level table; the file's is not read.
            const LevelRow &level = LevelTable[game.Level];
            value = setting == Setting::SizeX   ? level.SizeX
                    : setting == Setting::SizeY ? level.SizeY
                                                : level.Mines;
            continue;
        }
        value = row.Kind == SettingKind::Flag
                    ? Flag(store.ReadBool(section, key, row.Default != 0))
                    : row.Fit(store.ReadInteger(section, key, row.Default));
        // The custom field's own limit, below the largest field's.
        if (setting == Setting::Mines) value = std::min(value, MineLimit(game.SizeX, game.SizeY));
    }
    game.MaxX = game.SizeX - 1;
    game.MaxY = game.SizeY - 1;
}

void WriteSettings(SettingsStore &store, const TGameState &game, const MainWindowSettings &window)
{
    const QChar decimalPoint = LocaleDecimalPoint(store.Locale());
    for (int i = 0; i < static_cast<int>(Setting::Count); ++i) {
        const Setting setting = static_cast<Setting>(i);
        const SettingRow &row = RowOf(setting);
        const QString section = QString::fromLatin1(row.Section);
        const QString key = QString::fromLatin1(row.Key);
        switch (row.Kind) {
        case SettingKind::Time:
            store.WriteString(
                section, key,
                FormatBestTime(window.Best.BestTime[i - static_cast<int>(Setting::BeginnerTime)],
                               decimalPoint));
            break;
        case SettingKind::Name:
            store.WriteString(section, key,
                              window.Best.BestName[i - static_cast<int>(Setting::BeginnerName)]);
            break;
        case SettingKind::Flag:
        case SettingKind::Integer: {
            const int32_t value = *Slot(setting, game, window);
            // Settings beyond the designed ones are written only when they differ from their
            // defaults, so that a file written from scratch holds the designed keys alone.
            if (row.Extra && value == row.Default)
                store.RemoveKey(section, key);
            else if (row.Kind == SettingKind::Flag)
                store.WriteBool(section, key, value != 0);
            else
                store.WriteInteger(section, key, value);
            break;
        }
        }
    }
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

QString MakeSettingsFolder(const QString &path)
{
    if (MakeFolderFor(QFile::encodeName(path).toStdString())) return {};
    const int error = errno;
    const QString folder = QDir::toNativeSeparators(QFileInfo(path).absolutePath());
    return FileMessage(path, QStringLiteral("written"),
                       QStringLiteral("making its folder %1 failed (%2)")
                           .arg(folder, QString::fromLocal8Bit(std::strerror(error))),
                       SaveConsequence);
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
    return primary.topLeft() + QPoint(RowOf(Setting::Left).Default, RowOf(Setting::Top).Default);
}
