#include "level_table.h"
#include "rules.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{

// Records what the rules ask of the window.
struct RecordingView : GameView {
    GameRules *Rules = nullptr;
    std::vector<std::string> Calls;
    int32_t LastCounter = -999;
    int LostCount = 0;

    void Log(const char *what, int32_t c, int32_t r)
    {
        Calls.push_back(std::string(what) + " " + std::to_string(c) + "," + std::to_string(r));
    }
    bool Has(const std::string &call) const
    {
        for (const auto &entry : Calls)
            if (entry == call) return true;
        return false;
    }

    void DrawOpenSector(int32_t c, int32_t r) override { Log("open", c, r); }
    void DrawMarker(int32_t c, int32_t r) override { Log("marker", c, r); }
    void DrawClosedSector(int32_t c, int32_t r) override { Log("closed", c, r); }
    void SetFieldFontSmall(bool small) override { Calls.push_back(small ? "small" : "large"); }
    void DrawTriggeredSector(int32_t c, int32_t r) override { Log("triggered", c, r); }
    void DrawWrongMarker(int32_t c, int32_t r) override { Log("wrong", c, r); }
    void DrawPressedSector(int32_t c, int32_t r) override { Log("pressed", c, r); }
    void ShowLostBoard(int32_t c, int32_t r) override
    {
        Log("lost", c, r);
        ++LostCount;
        Rules->StopGame();
    }
    void ShowPressedFace() override { Calls.push_back("face1"); }
    void PresentField() override { Calls.push_back("present"); }
    void DrawMinesLeftCounter(int32_t count) override { LastCounter = count; }
    void StartClock() override { Calls.push_back("clock start"); }
    void StopClock() override { Calls.push_back("clock stop"); }
    void MarkRecalcNeeded() override { Calls.push_back("recalc"); }
    void HideEngineTimes() override {}
};

class Rules : public ::testing::Test
{
  protected:
    std::unique_ptr<TGameState> Game = std::make_unique<TGameState>();
    RecordingView View;
    Random Rng;
    GameRules R{*Game, View, Rng};

    void SetUp() override { View.Rules = &R; }

    // A ready game of the given size, as a new game leaves it.
    void NewField(int32_t sizeX, int32_t sizeY, int32_t mines, bool fairPlay = false)
    {
        *Game = TGameState{};
        Game->SizeX = sizeX;
        Game->SizeY = sizeY;
        Game->MaxX = sizeX - 1;
        Game->MaxY = sizeY - 1;
        Game->Mines = mines;
        Game->FairPlay = fairPlay ? 1 : 0;
        Game->Live = 1;
        R.ClearBoard();
        View.Calls.clear();
    }

    // A started game with mines exactly where the picture says ('*' a mine, rows top down).
    void Lay(const std::vector<std::string> &rows)
    {
        const int32_t sizeY = static_cast<int32_t>(rows.size());
        const int32_t sizeX = static_cast<int32_t>(rows[0].size());
        int32_t mines = 0;
        for (const auto &row : rows)
            for (char ch : row)
                mines += ch == '*';
        NewField(sizeX, sizeY, 0);
        R.PlaceMines(0, 0); // no mines to lay: counts neighbours and starts the game
        Game->Mines = mines;
        for (int32_t r = 0; r < sizeY; ++r)
            for (int32_t c = 0; c < sizeX; ++c)
                Game->Mined[KELVANE_SECTOR_INDEX(c, r)] = rows[r][c] == '*';
        for (int32_t c = 0; c < sizeX; ++c)
            for (int32_t r = 0; r < sizeY; ++r) {
                int32_t n = 0;
                for (int32_t i = std::max(c - 1, 0); i <= std::min(c + 1, sizeX - 1); ++i)
                    for (int32_t j = std::max(r - 1, 0); j <= std::min(r + 1, sizeY - 1); ++j)
                        n += Game->Mined[KELVANE_SECTOR_INDEX(i, j)];
                Game->Number[KELVANE_SECTOR_INDEX(c, r)] = n;
            }
        Game->MinesLeft = mines;
        Game->SafeLeft = sizeX * sizeY - mines;
        View.Calls.clear();
    }

    int32_t State(int32_t c, int32_t r) const { return Game->State[KELVANE_SECTOR_INDEX(c, r)]; }
    int32_t Mined(int32_t c, int32_t r) const { return Game->Mined[KELVANE_SECTOR_INDEX(c, r)]; }
    int32_t MinesOnField() const
    {
        int32_t n = 0;
        for (int32_t c = 0; c < Game->SizeX; ++c)
            for (int32_t r = 0; r < Game->SizeY; ++r)
                n += Mined(c, r);
        return n;
    }
};

TEST_F(Rules, PlaceMines_NeverMinesThePressedSector_AndCountsNeighbours)
{
    for (uint32_t seed = 0; seed < 200; ++seed) {
        NewField(8, 8, 49);
        Rng.Seed(seed);
        R.PlaceMines(3, 4);
        ASSERT_EQ(Mined(3, 4), 0) << "seed " << seed;
        ASSERT_EQ(MinesOnField(), 49);
        // The sector's own number counts the 3x3 block, itself included.
        int32_t block = 0;
        for (int32_t c = 2; c <= 4; ++c)
            for (int32_t r = 3; r <= 5; ++r)
                block += Mined(c, r);
        ASSERT_EQ(Game->Number[KELVANE_SECTOR_INDEX(3, 4)], block);
    }
    EXPECT_EQ(Game->SafeLeft, 15);
    EXPECT_EQ(Game->MinesLeft, 49);
    EXPECT_EQ(View.LastCounter, 49);
    EXPECT_EQ(Game->Active, 1);
}

TEST_F(Rules, FairPlay_KeepsTheCornersFree)
{
    for (uint32_t seed = 0; seed < 100; ++seed) {
        NewField(8, 8, 49, true);
        Rng.Seed(seed);
        R.PlaceMines(4, 4);
        ASSERT_EQ(Mined(0, 0) + Mined(7, 0) + Mined(0, 7) + Mined(7, 7), 0) << "seed " << seed;
        ASSERT_EQ(Mined(4, 4), 0);
        ASSERT_EQ(MinesOnField(), 49);
    }
}

TEST_F(Rules, MineCandidates_CountFollowsFairPlayAndThePressedCorner)
{
    int32_t list[KELVANE_SECTOR_SLOTS];
    NewField(10, 10, 10, false);
    EXPECT_EQ(R.MineCandidates(0, 0, list), 99);
    NewField(10, 10, 10, true);
    EXPECT_EQ(R.MineCandidates(0, 0, list), 96); // pressed corner is no candidate anyway
    EXPECT_EQ(R.MineCandidates(5, 5, list), 95);
    // Column order, rows ascending; the first column starts at row 1 under Fair Play.
    EXPECT_EQ(list[0], KELVANE_SECTOR_INDEX(0, 1));
    EXPECT_EQ(list[7], KELVANE_SECTOR_INDEX(0, 8));
    EXPECT_EQ(list[8], KELVANE_SECTOR_INDEX(1, 0));
}

TEST_F(Rules, PlaceMines_WithAKnownSeed_LaysAKnownField)
{
    // Seed 0 draws 0 first, then 3: candidates (0,0) and (0,3) of a 10 x 10 field pressed
    // at (9, 9); the third draw lands on a taken entry and steps forward.
    NewField(10, 10, 3);
    Rng.Seed(0);
    R.PlaceMines(9, 9);
    Random check;
    check.Seed(0);
    std::set<int32_t> expected;
    int32_t list[KELVANE_SECTOR_SLOTS];
    const int32_t n = R.MineCandidates(9, 9, list);
    for (int m = 0; m < 3; ++m) {
        uint32_t k = check.Below(n);
        while (list[k] == -1)
            k = (k + 1) % n;
        expected.insert(list[k]);
        list[k] = -1;
    }
    std::set<int32_t> laid;
    for (int32_t i = 0; i < KELVANE_SECTOR_SLOTS; ++i)
        if (Game->Mined[i]) laid.insert(i);
    EXPECT_EQ(laid, expected);
    EXPECT_TRUE(laid.count(KELVANE_SECTOR_INDEX(0, 0)));
    EXPECT_TRUE(laid.count(KELVANE_SECTOR_INDEX(0, 3)));
}

TEST_F(Rules, PlaceMines_StartsTheClockOnlyForTimedGames)
{
    NewField(10, 10, 10);
    Game->TimedGame = 1;
    R.PlaceMines(0, 0);
    EXPECT_TRUE(View.Has("clock start"));
    NewField(10, 10, 10);
    Game->TimedGame = 0;
    R.PlaceMines(0, 0);
    EXPECT_FALSE(View.Has("clock start"));
}

TEST_F(Rules, OpenArea_FillsTheZeroRegion_StoppingAtNumbersAndMarkers)
{
    Lay({"....*", ".....", ".....", ".....", "*...."});
    R.ToggleMarker(0, 1); // a marker on a safe sector stops the fill there
    R.OpenArea(2, 2, false);
    EXPECT_EQ(State(0, 1), SECTOR_MARKED);
    EXPECT_EQ(State(0, 0), SECTOR_OPEN); // reached around the marker
    EXPECT_EQ(State(4, 0), SECTOR_CLOSED);
    EXPECT_EQ(State(0, 4), SECTOR_CLOSED);
    EXPECT_EQ(State(3, 0), SECTOR_OPEN); // a number at the edge of the region opens
    EXPECT_EQ(Game->SafeLeft, 1);        // only the marked safe sector is left
    EXPECT_FLOAT_EQ(Game->Prob[KELVANE_SECTOR_INDEX(2, 2)], 0.0f);
}

TEST_F(Rules, OpenArea_OnANumber_OpensOnlyThatSector)
{
    Lay({"*...", "....", "....", "...."});
    R.OpenArea(1, 1, false);
    EXPECT_EQ(State(1, 1), SECTOR_OPEN);
    EXPECT_EQ(Game->SafeLeft, 14);
}

TEST_F(Rules, OpeningAMine_LosesAndStopsTheSamePress)
{
    Lay({"*...", "....", "....", "...*"});
    R.OpenSector(0, 0);
    EXPECT_EQ(View.LostCount, 1);
    EXPECT_EQ(Game->Active, 0);
    EXPECT_EQ(Game->Live, 0);
    EXPECT_EQ(State(0, 0), SECTOR_CLOSED); // a loss changes no state
    R.OpenArea(2, 2, false);
    EXPECT_EQ(State(2, 2), SECTOR_CLOSED);
}

TEST_F(Rules, ToggleMarker_CountsMarkersAndRedrawsTheClosedSectorAtTheSmallFont)
{
    Lay({"*.........", "..........", "..........", "..........", "..........", "..........",
         "..........", "..........", "..........", "........**"});
    R.ToggleMarker(5, 5);
    EXPECT_EQ(State(5, 5), SECTOR_MARKED);
    EXPECT_EQ(Game->MinesLeft, 2);
    View.Calls.clear();
    R.ToggleMarker(5, 5);
    EXPECT_EQ(State(5, 5), SECTOR_CLOSED);
    EXPECT_EQ(Game->MinesLeft, 3);
    EXPECT_EQ(View.Calls, (std::vector<std::string>{"small", "closed 5,5", "large", "recalc"}));
    R.OpenSector(4, 4);
    View.Calls.clear();
    R.ToggleMarker(4, 4); // open sectors take no marker
    EXPECT_EQ(State(4, 4), SECTOR_OPEN);
    EXPECT_TRUE(View.Calls.empty());
}

TEST_F(Rules, ElevenMarkersOnBeginner_LeaveMinusOneMinesLeft)
{
    NewField(LevelTable[0].SizeX, LevelTable[0].SizeY, LevelTable[0].Mines);
    Rng.Seed(7);
    R.PlaceMines(0, 0);
    int32_t placed = 0;
    for (int32_t c = 0; c < 10 && placed < 11; ++c)
        for (int32_t r = 5; r < 10 && placed < 11; ++r)
            if (State(c, r) == SECTOR_CLOSED) {
                R.ToggleMarker(c, r);
                ++placed;
            }
    EXPECT_EQ(Game->MinesLeft, -1);
}

TEST_F(Rules, Chord_WithNoMarkers_OpensNothingAndShowsThePreview)
{
    Lay({"....", "....", "....", "...*"});
    R.OpenArea(0, 0, false); // zero region
    const int32_t safeLeft = Game->SafeLeft;
    View.Calls.clear();
    EXPECT_TRUE(R.Chord(0, 0)); // number 0, no markers: still no chord
    EXPECT_EQ(Game->SafeLeft, safeLeft);
    EXPECT_TRUE(View.Has("face1"));
}

TEST_F(Rules, Chord_WithMatchingMarkers_OpensTheOtherNeighbours)
{
    Lay({"*...", "....", "....", "...."});
    R.OpenSector(1, 1);
    R.ToggleMarker(0, 0);
    EXPECT_FALSE(R.Chord(1, 1));
    for (int32_t c = 0; c <= 2; ++c)
        for (int32_t r = 0; r <= 2; ++r)
            if (c != 0 || r != 0) {
                EXPECT_EQ(State(c, r), SECTOR_OPEN) << c << "," << r;
            }
    EXPECT_EQ(Game->SafeLeft, 0); // the zeros spread to the rest of the field
}

TEST_F(Rules, Chord_WithWrongMarker_LosesAndOpensNothingMore)
{
    Lay({"*...", "....", "....", "...."});
    R.OpenSector(1, 1);
    R.ToggleMarker(2, 2); // wrong: the mine is at (0, 0)
    R.Chord(1, 1);
    EXPECT_EQ(View.LostCount, 1);
    // Column 0 is visited first and (0, 0) loses; nothing after it opens.
    EXPECT_EQ(State(1, 0), SECTOR_CLOSED);
    EXPECT_EQ(State(2, 1), SECTOR_CLOSED);
}

TEST_F(Rules, TrainerMode_TriggersTheMine_FlagsWrongMarkers_AndTheGameGoesOn)
{
    Lay({"*...", "....", "....", "...."});
    Game->TrainerMode = 1;
    R.ToggleMarker(3, 3);
    R.OpenSector(0, 0);
    EXPECT_EQ(State(0, 0), SECTOR_TRIGGERED);
    EXPECT_FLOAT_EQ(Game->Prob[0], 1.0f);
    EXPECT_EQ(Game->MinesLeft, -1);
    EXPECT_TRUE(View.Has("wrong 3,3"));
    EXPECT_EQ(Game->Active, 1);
    EXPECT_EQ(View.LostCount, 0);

    // The triggered mine counts like a marker for a chord.
    R.ToggleMarker(3, 3);
    R.OpenSector(1, 1);
    EXPECT_FALSE(R.Chord(1, 1));
    EXPECT_EQ(State(2, 2), SECTOR_OPEN);
    EXPECT_TRUE(R.CheckWin());
}

TEST_F(Rules, Win_WithoutMarkers_MarksTheMinesAndZeroesTheCounter)
{
    Lay({"*...", "....", "....", "...*"});
    R.ToggleMarker(3, 3);
    for (int32_t c = 0; c < 4; ++c)
        for (int32_t r = 0; r < 4; ++r)
            if (!Mined(c, r)) R.OpenSector(c, r);
    EXPECT_TRUE(R.CheckWin());
    EXPECT_EQ(State(0, 0), SECTOR_MARKED);
    EXPECT_EQ(State(3, 3), SECTOR_MARKED);
    EXPECT_EQ(Game->MinesLeft, 0);
    EXPECT_EQ(View.LastCounter, 0);
    EXPECT_EQ(Game->Live, 0);
    EXPECT_EQ(Game->Active, 0);
    EXPECT_FALSE(R.CheckWin() && Game->SafeLeft != 0);
}

TEST_F(Rules, CheckWin_WithSafeSectorsLeft_ChangesNothing)
{
    Lay({"*...", "....", "....", "...."});
    R.OpenSector(3, 3);
    EXPECT_FALSE(R.CheckWin());
    EXPECT_EQ(Game->Active, 1);
}

} // namespace
