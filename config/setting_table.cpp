#include "setting_table.h"

#include <algorithm>

namespace
{
constexpr const char *Field = "Field";
constexpr const char *BestScores = "BestScores";
constexpr const char *Engine = "Engine";
constexpr const char *Game = "Game";
constexpr const char *Window = "Window";

constexpr LevelRow Defaults = LevelTable[DefaultLevel];
constexpr int32_t NoLimit = 0;

constexpr SettingRow Plain(const char *section, const char *key, int32_t def)
{
    return {section, key,  SettingKind::Integer, def, NoLimit, NoLimit, OutOfRange::Keep,
            nullptr, false};
}
constexpr SettingRow Bounded(const char *section, const char *key, int32_t def, int32_t min,
                             int32_t max, OutOfRange rule = OutOfRange::Clamp,
                             const char *const *names = nullptr)
{
    return {section, key, SettingKind::Integer, def, min, max, rule, names, false};
}
constexpr SettingRow OnOff(const char *section, const char *key, bool on,
                           const char *const *names = nullptr, bool extra = false)
{
    return {section, key, SettingKind::Flag, on ? 1 : 0, 0, 1, OutOfRange::Keep, names, extra};
}
constexpr SettingRow Record(const char *key, SettingKind kind)
{
    return {BestScores, key, kind, NoLimit, NoLimit, NoLimit, OutOfRange::Keep, nullptr, false};
}
} // namespace

const SettingRow SettingTable[static_cast<int>(Setting::Count)] = {
    Plain(Window, "Top", 16),
    Plain(Window, "Left", 16),
    Bounded(Field, "Level", DefaultLevel, 0, LevelCustom),
    Bounded(Field, "SizeX", Defaults.SizeX, 8, 32),
    Bounded(Field, "SizeY", Defaults.SizeY, 8, 25),
    // At least 0: a negative count would leave more safe sectors to open than the field has,
    // and the game could never be won.
    Bounded(Field, "Mines", Defaults.Mines, 0, MineLimit(32, 25)),
    OnOff(Game, "FairPlay", true),
    OnOff(Game, "TrainerMode", false),
    OnOff(Game, "TimedGame", true),
    OnOff(Game, "ProbDisplay", true),
    Bounded(Game, "MaxScale", 3, 0, 3, OutOfRange::Clamp, MaxScaleNames),
    OnOff(Engine, "AdvancedMode", true, CalculationModeNames),
    OnOff(Engine, "DupCheck", true),
    Bounded(Engine, "CheckingMode", 1, 0, 2, OutOfRange::Default, CheckingModeNames),
    Bounded(Engine, "StepDepth", 25, 20, 30),
    Record("BeginnerTime", SettingKind::Time),
    Record("IntermediateTime", SettingKind::Time),
    Record("ExpertTime", SettingKind::Time),
    Record("UltraTime", SettingKind::Time),
    Record("BeginnerName", SettingKind::Name),
    Record("IntermediateName", SettingKind::Name),
    Record("ExpertName", SettingKind::Name),
    Record("UltraName", SettingKind::Name),
    OnOff("Kelvane", "NoGuess", false, nullptr, true),
};

int32_t SettingRow::Fit(int32_t value) const
{
    if (value >= Min && value <= Max) return value;
    switch (Rule) {
    case OutOfRange::Clamp:
        return std::clamp(value, Min, Max);
    case OutOfRange::Default:
        return Default;
    case OutOfRange::Keep:
        break;
    }
    return value;
}

int32_t SettingRow::Next(int32_t value) const
{
    return value < Min || value >= Max ? Min : value + 1;
}

const char *SettingRow::NameOf(int32_t value) const
{
    return Names != nullptr && value >= Min && value <= Max ? Names[value - Min] : "";
}
