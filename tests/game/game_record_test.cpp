// The game record: its text read back as written, every kind of malformed record refused
// with its line and why, and the figures of a game against hand-counted ones.
#include "game_record.h"
#include "kelvane_engine.h"
#include "random.h"
#include "random_games.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace
{

// One mine at (2, 2), one at (5, 5): every safe sector is in one opening or its border.
const std::string Base = "kelvane-game 1\n"
                         "size 8 8 2\n"
                         "options fair-play 1 trainer 0 no-guess 0 timed 1\n"
                         "layout\n"
                         "........\n........\n..*.....\n........\n"
                         "........\n.....*..\n........\n........\n"
                         "moves\n"
                         "0 open 1 1\n"
                         "100 mark 2 2\n"
                         "200 chord 1 1\n"
                         "end won 3.5\n";

std::string Edited(const std::string &from, const std::string &to)
{
    std::string text = Base;
    text.replace(text.find(from), from.size(), to);
    return text;
}

TEST(GameRecordRead, RefusesEachMalformedKindWithItsLineAndWhy)
{
    struct Row {
        const char *From, *To;
        int32_t Line;
        const char *Word;
    } rows[] = {
        {"kelvane-game 1", "kelvane-game 2", 1, "kelvane-game 1"},
        {"size 8 8 2", "size 8 8", 2, "size W H MINES"},
        {"size 8 8 2", "size 40 8 2", 2, "columns"},
        {"size 8 8 2", "size 8 26 2", 2, "rows"},
        {"size 8 8 2", "size 8 8 50", 2, "1 to 49 mines"},
        {"timed 1", "timed 2", 3, "0 or 1"},
        {"layout", "lay out", 4, "\"layout\""},
        {"..*.....", "..*....", 7, "row 2 has 7 sectors, the field has 8 columns"},
        {"..*.....", "..*..x..", 7, "'*'"},
        {"size 8 8 2", "size 8 8 3", 4, "2 mines in the layout, the size line says 3"},
        {"size 8 8 2\noptions fair-play 1 trainer 0 no-guess 0 timed 1\nlayout\n........",
         "size 8 8 3\noptions fair-play 1 trainer 0 no-guess 0 timed 1\nlayout\n.......*", 4,
         "corner"},
        {"moves", "move", 13, "\"moves\""},
        {"0 open 1 1", "0 open 8 1", 14, "x 8 is outside the field"},
        {"0 open 1 1", "0 open 1 9", 14, "y 9 is outside the field"},
        {"100 mark", "100 flag", 15, "expected"},
        {"200 chord", "50 chord", 16, "time order"},
        {"0 open 1 1", "0 probe 1 1", 14, "first move"},
        {"100 mark 2 2", "100 open 1 1", 15, "not closed"},
        {"100 mark 2 2", "100 unmark 2 2", 15, "without a marker"},
        {"100 mark 2 2", "100 mark 1 1", 15, "not closed"},
        {"100 mark 2 2", "100 probe 1 1", 15, "probe"},
        {"100 mark 2 2", "100 probe 3 3", 16, "markers"},
        {"200 chord 1 1", "200 chord 0 0", 16, "open number"},
        {"end won", "300 open 7 7\nend won", 17, "decided"},
        {"200 chord 1 1\n", "", 16, "still closed"},
        {"end won", "end lost", 17, "no mine"},
        {"end won", "end abandoned", 17, "was won"},
        {"100 mark 2 2\n200 chord 1 1\nend won", "100 open 2 2\nend abandoned", 16, "was lost"},
        {"end won 3.5", "end won 3.50", 17, "one decimal"},
        {"end won 3.5", "end won 2000000.0", 17, "beyond"},
        {"timed 1", "timed 0", 17, "untimed"},
        {"end won 3.5\n", "end won 3.5\n\n", 18, "follows"},
        {"end won 3.5\n", "", 17, "ends early"},
    };
    for (const Row &row : rows) {
        GameRecord record;
        RecordError error;
        EXPECT_FALSE(ReadRecord(Edited(row.From, row.To), record, error)) << row.To;
        EXPECT_EQ(error.Line, row.Line) << row.To << ": " << error.Reason;
        EXPECT_NE(error.Reason.find(row.Word), std::string::npos) << row.To << ": " << error.Reason;
    }
}

TEST(GameRecordRead, SkipsCommentsAndTakesAMissingFinalNewline)
{
    GameRecord plain, commented;
    RecordError error;
    ASSERT_TRUE(ReadRecord(Base, plain, error)) << error.Line << ": " << error.Reason;
    std::string text = "# saved by hand\n" + Edited("moves\n", "moves\n# the first press\n");
    text.pop_back();
    ASSERT_TRUE(ReadRecord(text, commented, error)) << error.Line << ": " << error.Reason;
    EXPECT_EQ(commented, plain);
    EXPECT_EQ(WriteRecord(plain), Base);
}

TEST(GameRecordRead, GamesPlayedByTheRulesReadBackAsWritten)
{
    int ends[3] = {};
    for (uint32_t seed = 1; seed <= 30; ++seed) {
        const GameRecord played = PlayedAtRandom(seed);
        GameRecord back;
        RecordError error;
        ASSERT_TRUE(ReadRecord(WriteRecord(played), back, error))
            << seed << " line " << error.Line << ": " << error.Reason;
        EXPECT_EQ(back, played) << seed;
        ++ends[int(played.End)];
        const GameFigures f = FiguresOf(back);
        EXPECT_TRUE(played.End == GameEnd::Won ? f.BbbvSolved == f.Bbbv : f.BbbvSolved <= f.Bbbv)
            << seed << ": " << f.BbbvSolved << " of " << f.Bbbv;
    }
    // The seeds reach every ending.
    EXPECT_GT(ends[0] * ends[1] * ends[2], 0) << ends[0] << " " << ends[1] << " " << ends[2];
}

TEST(GameRecordFigures, MatchHandCountedOnes)
{
    struct Row {
        std::string Text;
        GameFigures Expected;
        double Rate; // negative: none
    } rows[] = {
        // The base field: one opening holds every safe sector, 3BV 1. Eight clicks; the
        // effective ones are the opens, the chord and the first mark of (2, 2).
        {Edited("100 mark 2 2\n200 chord 1 1\n", "100 mark 2 2\n110 unmark 2 2\n120 mark 2 2\n"
                                                 "130 mark 3 3\n140 probe 6 6\n200 chord 1 1\n"
                                                 "210 unmark 3 3\n220 open 3 3\n"),
         {1, 1, 8, 4},
         1 / 3.5},
        // Rows 2 to 7 are one opening with row 1 its border; the safe sectors of row 0 touch
        // no zero: 3BV 1 + 4 = 5. Solved: the opening, (0, 0) and (2, 0).
        {"kelvane-game 1\nsize 8 8 4\noptions fair-play 0 trainer 1 no-guess 0 timed 1\nlayout\n"
         ".*.*.*.*\n........\n........\n........\n........\n........\n........\n........\n"
         "moves\n0 open 0 7\n10 open 0 0\n20 mark 4 0\n30 open 2 0\nend abandoned 2.0\n",
         {5, 3, 4, 3},
         1.5},
        // The same, untimed, with a mine opened in Trainer Mode: an open, but no 3BV.
        {"kelvane-game 1\nsize 8 8 4\noptions fair-play 0 trainer 1 no-guess 0 timed 0\nlayout\n"
         ".*.*.*.*\n........\n........\n........\n........\n........\n........\n........\n"
         "moves\n0 open 1 0\n10 mark 3 0\n20 unmark 3 0\n30 mark 3 0\nend abandoned 0.0\n",
         {5, 0, 4, 2},
         -1},
    };
    for (const Row &row : rows) {
        GameRecord record;
        RecordError error;
        ASSERT_TRUE(ReadRecord(row.Text, record, error)) << error.Line << ": " << error.Reason;
        const GameFigures f = FiguresOf(record);
        EXPECT_EQ(f.Bbbv, row.Expected.Bbbv);
        EXPECT_EQ(f.BbbvSolved, row.Expected.BbbvSolved);
        EXPECT_EQ(f.Clicks, row.Expected.Clicks);
        EXPECT_EQ(f.EffectiveClicks, row.Expected.EffectiveClicks);
        double rate = -1;
        EXPECT_EQ(f.BbbvPerSecond(record.Seconds, rate), row.Rate >= 0);
        EXPECT_DOUBLE_EQ(rate, row.Rate);
    }
}

} // namespace
