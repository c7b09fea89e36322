#include "rules.h"

#include <algorithm>

void GameRules::ClearBoard()
{
    for (int32_t c = 0; c < Game.SizeX; ++c) {
        for (int32_t r = 0; r < Game.SizeY; ++r) {
            const int32_t i = KELVANE_SECTOR_INDEX(c, r);
            Game.Mined[i] = 0;
            Game.Number[i] = 0;
            Game.State[i] = SECTOR_CLOSED;
            Game.Prob[i] = -1.0f;
        }
    }
}

int32_t GameRules::MineCandidates(int32_t c, int32_t r, int32_t *out) const
{
    const int32_t pressed = KELVANE_SECTOR_INDEX(c, r);
    int32_t n = 0;
    auto addColumn = [&](int32_t column, int32_t firstRow, int32_t lastRow) {
        for (int32_t row = firstRow; row <= lastRow; ++row) {
            const int32_t i = KELVANE_SECTOR_INDEX(column, row);
            if (i != pressed) out[n++] = i;
        }
    };
    if (Game.FairPlay == 0) {
        for (int32_t column = 0; column <= Game.MaxX; ++column)
            addColumn(column, 0, Game.MaxY);
    } else {
        // The four corners are never candidates.
        addColumn(0, 1, Game.MaxY - 1);
        for (int32_t column = 1; column <= Game.MaxX - 1; ++column)
            addColumn(column, 0, Game.MaxY);
        addColumn(Game.MaxX, 1, Game.MaxY - 1);
    }
    return n;
}

void GameRules::PlaceMines(int32_t c, int32_t r)
{
    int32_t candidates[KELVANE_SECTOR_SLOTS];
    PlaceMinesAmong(candidates, MineCandidates(c, r, candidates));
}

void GameRules::PlaceMinesAmong(int32_t *candidates, int32_t n)
{
    // The settings keep Mines below the candidate count; guard anyway so a bad record
    // cannot make the forward step search forever.
    const int32_t mines = std::clamp(Game.Mines, 0, n);
    for (int32_t m = 0; m < mines; ++m) {
        uint32_t k = Rng.Below(static_cast<uint32_t>(n));
        while (candidates[k] == -1)
            k = (k + 1 == static_cast<uint32_t>(n)) ? 0 : k + 1;
        Game.Mined[candidates[k]] = 1;
        candidates[k] = -1;
    }
    CountAndStart();
}

void GameRules::PlaceGivenMines(const uint8_t *mined)
{
    for (int32_t x = 0; x <= Game.MaxX; ++x)
        for (int32_t y = 0; y <= Game.MaxY; ++y) {
            const int32_t i = KELVANE_SECTOR_INDEX(x, y);
            Game.Mined[i] = mined[i] != 0 ? 1 : 0;
        }
    CountAndStart();
}

void GameRules::CountAndStart()
{
    for (int32_t x = 0; x <= Game.MaxX; ++x) {
        for (int32_t y = 0; y <= Game.MaxY; ++y) {
            int32_t count = 0;
            for (int32_t i = std::max(x - 1, 0); i <= std::min(x + 1, Game.MaxX); ++i)
                for (int32_t j = std::max(y - 1, 0); j <= std::min(y + 1, Game.MaxY); ++j)
                    count += Game.Mined[KELVANE_SECTOR_INDEX(i, j)];
            Game.Number[KELVANE_SECTOR_INDEX(x, y)] = count;
        }
    }

    Game.MinesLeft = Game.Mines;
    View.DrawMinesLeftCounter(Game.MinesLeft);
    if (Game.TimedGame != 0) View.StartClock();
    Game.SafeLeft = Game.SizeX * Game.SizeY - Game.Mines;
    Game.Active = 1;
    View.MarkRecalcNeeded();
    View.HideEngineTimes();
}

void GameRules::OpenSector(int32_t c, int32_t r)
{
    const int32_t i = KELVANE_SECTOR_INDEX(c, r);
    if (Game.State[i] != SECTOR_CLOSED) return;
    if (Game.Mined[i] == 0) {
        View.DrawOpenSector(c, r);
        Game.State[i] = SECTOR_OPEN;
        Game.Prob[i] = 0.0f;
        --Game.SafeLeft;
    } else if (Game.TrainerMode == 0) {
        View.ShowLostBoard(c, r);
    } else {
        View.DrawTriggeredSector(c, r);
        Game.State[i] = SECTOR_TRIGGERED;
        Game.Prob[i] = 1.0f;
        --Game.MinesLeft;
        View.DrawMinesLeftCounter(Game.MinesLeft);
        for (int32_t x = 0; x <= Game.MaxX; ++x)
            for (int32_t y = 0; y <= Game.MaxY; ++y)
                if (StateAt(x, y) == SECTOR_MARKED && Game.Mined[KELVANE_SECTOR_INDEX(x, y)] == 0)
                    View.DrawWrongMarker(x, y);
    }
}

void GameRules::OpenArea(int32_t c, int32_t r, bool force)
{
    if (Game.Active == 0) return;
    OpenSector(c, r);
    if (Game.Number[KELVANE_SECTOR_INDEX(c, r)] != 0 && !force) return;
    for (int32_t i = std::max(c - 1, 0); i <= std::min(c + 1, Game.MaxX); ++i)
        for (int32_t j = std::max(r - 1, 0); j <= std::min(r + 1, Game.MaxY); ++j)
            if (StateAt(i, j) == SECTOR_CLOSED) OpenArea(i, j, false);
}

void GameRules::ToggleMarker(int32_t c, int32_t r)
{
    int32_t &state = StateAt(c, r);
    if (state == SECTOR_CLOSED) {
        state = SECTOR_MARKED;
        --Game.MinesLeft;
        View.DrawMarker(c, r);
    } else if (state == SECTOR_MARKED) {
        state = SECTOR_CLOSED;
        ++Game.MinesLeft;
        View.SetFieldFontSmall(true);
        View.DrawClosedSector(c, r);
        View.SetFieldFontSmall(false);
    } else {
        return;
    }
    View.MarkRecalcNeeded();
}

bool GameRules::Chord(int32_t c, int32_t r)
{
    const int32_t firstColumn = std::max(c - 1, 0), lastColumn = std::min(c + 1, Game.MaxX);
    const int32_t firstRow = std::max(r - 1, 0), lastRow = std::min(r + 1, Game.MaxY);
    int32_t known = 0;
    for (int32_t i = firstColumn; i <= lastColumn; ++i)
        for (int32_t j = firstRow; j <= lastRow; ++j)
            if (StateAt(i, j) == SECTOR_MARKED || StateAt(i, j) == SECTOR_TRIGGERED) ++known;

    if (known != 0 && known == Game.Number[KELVANE_SECTOR_INDEX(c, r)]) {
        OpenArea(c, r, true);
        View.MarkRecalcNeeded();
        return false;
    }
    for (int32_t i = firstColumn; i <= lastColumn; ++i)
        for (int32_t j = firstRow; j <= lastRow; ++j)
            if (StateAt(i, j) == SECTOR_CLOSED) View.DrawPressedSector(i, j);
    View.ShowPressedFace();
    View.PresentField();
    return true;
}

bool GameRules::CheckWin()
{
    if (Game.SafeLeft != 0) return false;
    StopGame();
    for (int32_t x = 0; x <= Game.MaxX; ++x)
        for (int32_t y = 0; y <= Game.MaxY; ++y)
            if (Game.Mined[KELVANE_SECTOR_INDEX(x, y)] != 0 && StateAt(x, y) == SECTOR_CLOSED)
                ToggleMarker(x, y);
    Game.MinesLeft = 0;
    View.DrawMinesLeftCounter(0);
    View.PresentField();
    return true;
}

void GameRules::StopGame()
{
    View.StopClock();
    Game.Active = 0;
    Game.Live = 0;
}
