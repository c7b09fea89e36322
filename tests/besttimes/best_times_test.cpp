#include "best_times.h"

#include <algorithm>
#include <cctype>
#include <gtest/gtest.h>
#include <string>

namespace
{

struct FormatCase {
    float seconds;
    const char *text;
};

void PrintTo(const FormatCase &c, std::ostream *os)
{
    *os << c.text;
}

class BestTimesFormat : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(BestTimesFormat, ShowsOneDecimalRoundedOnTheExactDigits)
{
    EXPECT_EQ(FormatBestTime(GetParam().seconds), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Times, BestTimesFormat,
    ::testing::Values(FormatCase{999.9f, "999.9"}, // the empty record, 999.900024...
                      FormatCase{12.345f, "12.3"}, FormatCase{12.25f, "12.3"}, // exact half
                      FormatCase{7.06f, "7.1"}, // 7.05999994..., not a half
                      FormatCase{0.04f, "0.0"}, FormatCase{0.05f, "0.1"},   // 0.0500000007
                      FormatCase{12.15f, "12.1"},                           // 12.1499996
                      FormatCase{0.25f, "0.3"}, FormatCase{99.95f, "99.9"}, // 99.9499969
                      FormatCase{0.0f, "0.0"}, FormatCase{40.25f, "40.3"},
                      FormatCase{9.96f, "10.0"}),
    [](const ::testing::TestParamInfo<FormatCase> &info) {
        std::string text = info.param.text;
        std::replace(text.begin(), text.end(), '.', '_');
        return "Case" + std::to_string(info.index) + "_Shows_" + text;
    });

TEST(BestTimesFormatLocale, UsesTheGivenDecimalSeparator)
{
    EXPECT_EQ(FormatBestTime(12.25f, QChar(',')), QStringLiteral("12,3"));
    EXPECT_EQ(FormatBestTime(EmptyRecordTime, QChar(',')), QStringLiteral("999,9"));
}

struct RecordCase {
    const char *what;
    int32_t level;
    int32_t timedGame;
    float stored;
    float elapsed;
    bool record;
};

void PrintTo(const RecordCase &c, std::ostream *os)
{
    *os << c.what;
}

class BestTimesRecord : public ::testing::TestWithParam<RecordCase>
{
};

TEST_P(BestTimesRecord, IsOfferedOnlyForTimedFixedLevelsStrictlyFaster)
{
    const RecordCase &c = GetParam();
    BestTimes table;
    if (c.level >= 0 && c.level <= 3) table.BestTime[c.level] = c.stored;
    EXPECT_EQ(table.IsRecord(c.level, c.timedGame, c.elapsed), c.record) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Wins, BestTimesRecord,
    ::testing::Values(
        RecordCase{"faster than 40.3", 1, 1, 40.3f, 40.25f, true},
        RecordCase{"equal time", 1, 1, 40.3f, 40.3f, false},
        RecordCase{"slower", 1, 1, 40.3f, 40.35f, false},
        RecordCase{"untimed game", 1, 0, 40.3f, 10.0f, false},
        RecordCase{"custom field", 4, 1, EmptyRecordTime, 10.0f, false},
        RecordCase{"negative level", -1, 1, EmptyRecordTime, 10.0f, false},
        RecordCase{"the empty record's own time", 0, 1, EmptyRecordTime, EmptyRecordTime, false},
        RecordCase{"longer than the empty record", 3, 1, EmptyRecordTime, 1200.0f, false},
        RecordCase{"first record on Ultra", 3, 1, EmptyRecordTime, 250.5f, true}),
    [](const ::testing::TestParamInfo<RecordCase> &info) {
        std::string name = info.param.what;
        for (char &c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(BestTimesTable, StartsEmptyOnEveryLevel)
{
    const BestTimes table;
    for (int level = 0; level < 4; ++level) {
        EXPECT_EQ(table.BestTime[level], EmptyRecordTime);
        EXPECT_EQ(table.BestName[level], QStringLiteral("Anonymous"));
    }
}

TEST(BestTimesTable, Record_KeepsTheFirstSixteenCharactersOfTheName)
{
    BestTimes table;
    table.Record(2, QStringLiteral("ABCDEFGHIJKLMNOPQRST"), 88.5f);
    EXPECT_EQ(table.BestName[2], QStringLiteral("ABCDEFGHIJKLMNOP"));
    EXPECT_EQ(table.BestTime[2], 88.5f);
    EXPECT_EQ(table.BestTime[1], EmptyRecordTime);
}

TEST(BestTimesTable, Record_AcceptsAnEmptyName)
{
    BestTimes table;
    table.Record(0, QString(), 5.0f);
    EXPECT_TRUE(table.BestName[0].isEmpty());
    EXPECT_EQ(table.BestTime[0], 5.0f);
}

TEST(BestTimesTable, Record_IgnoresTheCustomField)
{
    BestTimes table;
    table.Record(4, QStringLiteral("Nobody"), 5.0f);
    table.Record(-1, QStringLiteral("Nobody"), 5.0f);
    for (int level = 0; level < 4; ++level) {
        EXPECT_EQ(table.BestTime[level], EmptyRecordTime);
        EXPECT_EQ(table.BestName[level], QStringLiteral("Anonymous"));
    }
}

TEST(BestTimesTable, Clear_ReturnsAllFourLevelsToTheEmptyRecord)
{
    BestTimes table;
    for (int level = 0; level < 4; ++level)
        table.Record(level, QStringLiteral("Player"), 10.0f + level);
    table.Clear();
    for (int level = 0; level < 4; ++level) {
        EXPECT_EQ(table.BestTime[level], EmptyRecordTime);
        EXPECT_EQ(table.BestName[level], QStringLiteral("Anonymous"));
    }
}

} // namespace
