// The best-times table (one record per fixed level) and the one time text that the
// best-times dialog and the settings file share.
#pragma once

#include <QChar>
#include <QLocale>
#include <QString>
#include <cstdint>

inline constexpr float EmptyRecordTime = 999.9f;
inline constexpr const char *EmptyRecordName = "Anonymous";
inline constexpr int BestNameLength = 16;

struct BestTimes {
    float BestTime[4] = {EmptyRecordTime, EmptyRecordTime, EmptyRecordTime, EmptyRecordTime};
    QString BestName[4] = {EmptyRecordName, EmptyRecordName, EmptyRecordName, EmptyRecordName};

    // Returns all four levels to the empty record.
    void Clear();
    // A won game sets a record only when timed, on a fixed level, and strictly faster.
    bool IsRecord(int32_t level, int32_t timedGame, float elapsed) const;
    // Stores a record; the name keeps its first BestNameLength characters.
    void Record(int32_t level, const QString &name, float elapsed);
};

// A time in fixed notation with exactly one decimal: the value's exact decimal digits
// rounded once, at 7 significant digits or one decimal, whichever comes first, an exact
// half away from zero. 12.25 gives "12.3", 7.06f gives "7.1", 999.9f gives "999.9".
QString FormatBestTime(float seconds, QChar decimalPoint = QChar('.'));

// The separator that times are written with: the locale's own, or a point when the locale
// names none.
QChar LocaleDecimalPoint(const QLocale &locale = QLocale::system());
// A number with `decimals` decimals and the locale's separator.
QString LocaleFixed(double value, int decimals);
