#include "best_times.h"

#include <QLocale>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

void BestTimes::Clear()
{
    for (int i = 0; i < 4; ++i) {
        BestTime[i] = EmptyRecordTime;
        BestName[i] = EmptyRecordName;
    }
}

bool BestTimes::IsRecord(int32_t level, int32_t timedGame, float elapsed) const
{
    return timedGame != 0 && level >= 0 && level <= 3 && elapsed < BestTime[level];
}

void BestTimes::Record(int32_t level, const QString &name, float elapsed)
{
    if (level < 0 || level > 3) return;
    BestName[level] = name.left(BestNameLength);
    BestTime[level] = elapsed;
}

// Adds one unit at the last digit of a string of decimal digits; returns false when the
// carry runs off the front (999 + 1), leaving the digits as zeros.
static bool IncrementDigits(std::string &digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return true;
        }
        *it = '0';
    }
    return false;
}

QString FormatBestTime(float seconds, QChar decimalPoint)
{
    const double value = seconds; // widened exactly
    if (!std::isfinite(value)) return QString::number(value);

    // The exact binary value, with a point whatever the C library's locale; 60 decimals
    // hold every float of a sensible size.
    char buffer[400];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                       std::chars_format::fixed, 60);
    const std::string text(buffer, written.ptr);
    const auto point = text.find('.');
    std::string integral = text.substr(0, point);
    const std::string fraction = text.substr(point + 1);

    // Keep one decimal, fewer when the integral part already takes up the 7 digits.
    const int integralDigits = integral == "0" ? 0 : static_cast<int>(integral.size());
    int decimals = 1;
    if (integralDigits + decimals > 7) decimals = std::max(0, 7 - integralDigits);

    std::string kept = integral + fraction.substr(0, decimals);
    const char next = fraction[decimals];
    if (next >= '5' && !IncrementDigits(kept)) kept.insert(kept.begin(), '1');
    integral = kept.substr(0, kept.size() - decimals);
    std::string decimalDigits = kept.substr(kept.size() - decimals);
    if (decimalDigits.empty()) decimalDigits = "0";

    QString result =
        QString::fromStdString(integral) + decimalPoint + QString::fromStdString(decimalDigits);
    const bool isZero = result.count(QChar('0')) == result.size() - 1;
    if (std::signbit(value) && !isZero) result.prepend(QChar('-'));
    return result;
}

QChar LocaleDecimalPoint(const QLocale &locale)
{
    const QString point = locale.decimalPoint();
    return point.isEmpty() ? QChar('.') : point.front();
}

QString LocaleFixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals).replace(QChar('.'), LocaleDecimalPoint());
}
