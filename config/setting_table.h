// Every setting the settings file holds, in the order a save writes them: its section and
// key, its default, the values it may take and the names the player sees for them. The
// file's loader and writer, the settings dialog, the statistics panel and kelvane-solve all
// read their bounds here. Plain C++: kelvane-solve links it without Qt.
#pragma once

#include "level_table.h"

#include <cstdint>

enum class Setting : uint8_t {
    Top,
    Left,
    Level,
    SizeX,
    SizeY,
    Mines,
    FairPlay,
    TrainerMode,
    TimedGame,
    ProbDisplay,
    MaxScale,
    AdvancedMode,
    DupCheck,
    CheckingMode,
    StepDepth,
    BeginnerTime,
    IntermediateTime,
    ExpertTime,
    UltraTime,
    BeginnerName,
    IntermediateName,
    ExpertName,
    UltraName,
    NoGuess,
    Count
};

enum class SettingKind : uint8_t {
    Integer,
    Flag, // an integer held as 0 or 1
    Time, // a best time, its default and limit the empty record's
    Name, // a record holder, its default and length those of the empty record
};

// What a load does with a value outside Min..Max.
enum class OutOfRange : uint8_t { Keep, Clamp, Default };

// Times and names take their default and limit from the best-times table; their Default,
// Min and Max are unused.
struct SettingRow {
    const char *Section;
    const char *Key;
    SettingKind Kind;
    int32_t Default;
    int32_t Min, Max; // on a custom field, Mines is also at most MineLimit(SizeX, SizeY)
    OutOfRange Rule;
    const char *const *Names; // what the player sees for Min..Max, or none
    bool Extra;               // the program's own: written only when it differs from Default

    // The value a load keeps for `value`, by the row's rule.
    int32_t Fit(int32_t value) const;
    // The value after `value`, back to Min past Max: the panel's option cycles.
    int32_t Next(int32_t value) const;
    // The name shown for `value`; "" for a value outside the names or a row without them.
    const char *NameOf(int32_t value) const;
};

inline constexpr const char *CheckingModeNames[3] = {"Minimal", "Optimal", "Maximal"};
inline constexpr const char *CalculationModeNames[2] = {"Simple", "Advanced"};
inline constexpr const char *MaxScaleNames[4] = {"24 pixels", "32 pixels", "48 pixels",
                                                 "Unlimited"};

// The level loaded when the file names none; its row of the level table gives the custom
// field's defaults. The level names stay in the level table, which the best-times dialog
// below this layer shows too.
inline constexpr int32_t DefaultLevel = 1;

extern const SettingRow SettingTable[static_cast<int>(Setting::Count)];

inline const SettingRow &RowOf(Setting setting)
{
    return SettingTable[static_cast<int>(setting)];
}
