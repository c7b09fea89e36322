// A game in the main window: new games, levels, presses on the board, the clock, the end
// of a game, and the drawing the rules ask for.
#include "main_window.h"

#include "accessibility.h"
#include "best_dialog.h"
#include "level_table.h"

#include <QCoreApplication>

#include <cmath>

void TfrmMain::NewGame()
{
    TGameState &game = *GameState;
    if (game.EngineBusy != 0) return;
    AbandonGame();
    EndReplay();
    Rules.ClearBoard();
    DrawMinesLeftCounter(-1);
    DrawTimeCounter(-1.0f);
    sbStatus->Show(QString());
    Board.RedrawField(bmpMainBackground, pbImage->pos(), game.SizeX, game.SizeY);
    PresentField();
    Stats->ResetEngineStats(game);
    game.Live = 1;
    HintAsked = false;
    ClearHint();
    ShowFace(bmpFace0);
}

void TfrmMain::ChooseLevel(int32_t level)
{
    TGameState &game = *GameState;
    if (game.EngineBusy != 0 || level < 0 || level > 3) return;
    AbandonGame();
    game.Level = level;
    SetFieldSize(game, LevelTable[level].SizeX, LevelTable[level].SizeY, LevelTable[level].Mines);
    LayoutField();
    NewGame();
}

void TfrmMain::lblNewGameClick()
{
    NewGame();
}

void TfrmMain::lblLevelClick()
{
    lblLevel->ShowNormalLook();
    PopupMenu1->popup(mapToGlobal(QPoint(lblLevel->x() + lblLevel->width(), lblLevel->y())));
}

void TfrmMain::LayoutField()
{
    const TGameState &game = *GameState;
    Board.LayoutField(
        LayoutGeometry(game.SizeX, game.SizeY, MaxScale, BoardWidth, BoardHeight, Board.Geometry),
        bmpMainBackground, pbImage->pos());
    PlaceCursorInField();
    if (game.ProbDisplay != 0) Stats->RefreshEngineOptionLabels(game);
    Stats->HideRunTimes();
}

bool TfrmMain::InField(int32_t c, int32_t r) const
{
    return c >= 0 && r >= 0 && c <= GameState->MaxX && r <= GameState->MaxY;
}

static int32_t FloorDivide(int32_t a, int32_t b)
{
    return static_cast<int32_t>(std::floor(static_cast<double>(a) / b));
}

void TfrmMain::pbImageMouseDown(Qt::MouseButton button, Qt::MouseButtons othersHeld,
                                bool doubleClick, int x, int y)
{
    TGameState &game = *GameState;
    if (game.EngineBusy != 0) return;
    ClearHint();
    const int32_t cell = Board.Geometry.CellSize;
    PressedCol = FloorDivide(x - Board.Geometry.FieldLeft, cell);
    PressedRow = FloorDivide(y - Board.Geometry.FieldTop, cell);
    const int32_t c = PressedCol, r = PressedRow;
    if (!InField(c, r)) return;
    if (game.Live == 0) {
        if (!(doubleClick && button == Qt::LeftButton)) return;
        NewGame();
    }
    if (game.Active == 0) {
        if (button != Qt::LeftButton) return;
        PlaceFirstMines(c, r);
        BeginRecord();
    }

    const int32_t state = game.State[KELVANE_SECTOR_INDEX(c, r)];
    // A chord is kept only when it opened a sector or hit a mine.
    auto chord = [&] {
        const int32_t safeLeft = game.SafeLeft, minesLeft = game.MinesLeft;
        NoteMove(MoveKind::Chord, c, r);
        if (Rules.Chord(c, r)) ChordPreview = 1;
        if (Recording && game.SafeLeft == safeLeft && game.MinesLeft == minesLeft)
            Record.Moves.pop_back();
    };
    if (button == Qt::LeftButton) {
        if ((othersHeld & Qt::RightButton) && state == SECTOR_OPEN) {
            chord();
        } else if (state == SECTOR_CLOSED) {
            NoteMove(MoveKind::Open, c, r);
            Rules.OpenArea(c, r, false);
            MarkRecalcNeeded();
            PresentField();
        }
    } else if (button == Qt::RightButton) {
        if (state != SECTOR_OPEN) {
            if (state == SECTOR_CLOSED) NoteMove(MoveKind::Mark, c, r);
            if (state == SECTOR_MARKED) NoteMove(MoveKind::Unmark, c, r);
            Rules.ToggleMarker(c, r);
            DrawMinesLeftCounter(game.MinesLeft);
            PresentField();
            if (doubleClick && game.ProbDisplay != 0 &&
                game.State[KELVANE_SECTOR_INDEX(c, r)] == SECTOR_CLOSED) {
                NoteMove(MoveKind::Probe, c, r);
                ShowSectorInfo(c, r);
            }
        } else if (othersHeld & Qt::LeftButton) {
            chord();
        }
    } else if (button == Qt::MiddleButton) {
        if (state == SECTOR_OPEN)
            chord();
        else if (state == SECTOR_CLOSED && game.ProbDisplay != 0) {
            NoteMove(MoveKind::Probe, c, r);
            ShowSectorInfo(c, r);
        }
    }
    CheckWinAfterPress();
}

void TfrmMain::CheckWinAfterPress()
{
    if (!Rules.CheckWin()) return;
    KeepGame(GameEnd::Won);
    GameWon();
}

void TfrmMain::pbImageMouseUp()
{
    const TGameState &game = *GameState;
    if (game.EngineBusy != 0 || ChordPreview == 0) return;
    Board.SetFontSize(Board.Geometry.SmallFontSize);
    for (int32_t c = std::max(PressedCol - 1, 0); c <= std::min(PressedCol + 1, game.MaxX); ++c)
        for (int32_t r = std::max(PressedRow - 1, 0); r <= std::min(PressedRow + 1, game.MaxY);
             ++r) {
            const int32_t i = KELVANE_SECTOR_INDEX(c, r);
            if (game.State[i] != SECTOR_CLOSED) continue;
            if (game.ProbDisplay != 0)
                Board.DrawClosedSector(c, r, game.Prob[i]);
            else
                Board.DrawBareClosedSector(c, r);
        }
    Board.SetFontSize(Board.Geometry.LargeFontSize);
    ChordPreview = 0;
    ShowFace(bmpFace0);
    PresentField();
}

void TfrmMain::GameWon()
{
    const TGameState &game = *GameState;
    if (game.TimedGame == 0) {
        sbStatus->Show("Finished!");
        return;
    }
    // QString::number writes a point whatever the locale; the player reads their own.
    QString seconds = QString::number(double(ElapsedTime), 'f', 1);
    seconds.replace(QChar('.'), LocaleDecimalPoint());
    sbStatus->Show(QString("Finished in %1 seconds").arg(seconds));
    // A known board played again, or one a hint helped with, is no feat of speed.
    if (Replaying || HintAsked || !Best.IsRecord(game.Level, game.TimedGame, ElapsedTime)) return;
    const QString prompt = QString("You have the fastest time for the %1 level.\n"
                                   "Please enter your name")
                               .arg(LevelTable[game.Level].Name);
    Announce(sbStatus, prompt.section('\n', 0, 0));
    QString name = Best.BestName[game.Level];
    if (!Options.AskName(prompt, name)) return;
    Best.Record(game.Level, name, ElapsedTime);
    frmBest->exec();
}

// The clock.

void TfrmMain::StartClock()
{
    TimerCtl.start();
    LastTick = Options.Clock();
    ElapsedTime = 0.0f;
}

void TfrmMain::StopClock()
{
    TimerCtl.stop();
}

void TfrmMain::TimerCtlTimer()
{
    const uint32_t now = Options.Clock();
    const uint32_t passed = now - LastTick; // wraps like the 32-bit clock
    ElapsedTime = static_cast<float>(double(ElapsedTime) + double(passed) * 0.001);
    LastTick = now;
    DrawTimeCounter(ElapsedTime);
}

void TfrmMain::ApplicationEvents1Minimize()
{
    AppMinimized = 1;
    if (GameState->Active != 0 && GameState->TimedGame != 0) TimerCtl.stop();
}

void TfrmMain::ApplicationEvents1Deactivate()
{
    AppInactive = 1;
    if (GameState->Active != 0 && GameState->TimedGame != 0) TimerCtl.stop();
}

void TfrmMain::ApplicationEvents1Restore()
{
    AppMinimized = 0;
    ResumeClock();
}

void TfrmMain::ApplicationEvents1Activate()
{
    AppInactive = 0;
    ResumeClock();
}

// The clock runs again only once the application is both restored and active; the time
// spent away is not counted.
void TfrmMain::ResumeClock()
{
    if (GameState->Active != 0 && GameState->TimedGame != 0 && AppMinimized == 0 &&
        AppInactive == 0) {
        LastTick = Options.Clock();
        TimerCtl.start();
    }
}

// Drawing asked for by the rules.

void TfrmMain::DrawOpenSector(int32_t c, int32_t r)
{
    Board.DrawOpenSector(c, r, GameState->Number[KELVANE_SECTOR_INDEX(c, r)]);
}

void TfrmMain::DrawMarker(int32_t c, int32_t r)
{
    Board.DrawMarker(c, r);
}

void TfrmMain::DrawClosedSector(int32_t c, int32_t r)
{
    Board.DrawClosedSector(c, r, GameState->Prob[KELVANE_SECTOR_INDEX(c, r)]);
}

void TfrmMain::SetFieldFontSmall(bool small)
{
    Board.SetFontSize(small ? Board.Geometry.SmallFontSize : Board.Geometry.LargeFontSize);
}

void TfrmMain::DrawTriggeredSector(int32_t c, int32_t r)
{
    Board.DrawFatalSector(c, r);
}

void TfrmMain::DrawWrongMarker(int32_t c, int32_t r)
{
    Board.DrawWrongMarkerBar(c, r);
}

void TfrmMain::DrawPressedSector(int32_t c, int32_t r)
{
    Board.DrawPressedSector(c, r);
}

void TfrmMain::ShowLostBoard(int32_t c, int32_t r)
{
    KeepGame(GameEnd::Lost);
    Rules.StopGame();
    const TGameState &game = *GameState;
    for (int32_t x = 0; x <= game.MaxX; ++x)
        for (int32_t y = 0; y <= game.MaxY; ++y) {
            const int32_t i = KELVANE_SECTOR_INDEX(x, y);
            if (game.Mined[i] != 0 && game.State[i] != SECTOR_MARKED)
                Board.DrawMine(x, y);
            else if (game.State[i] == SECTOR_MARKED && game.Mined[i] == 0)
                Board.DrawWrongMarkerBar(x, y);
        }
    Board.DrawFatalSector(c, r);
    PresentField();
    sbStatus->Show("Game Over!");
    ShowFace(bmpFace2);
}

void TfrmMain::ShowPressedFace()
{
    ShowFace(bmpFace1);
}

void TfrmMain::ShowFace(const QImage &face)
{
    imgNew->setPixmap(QPixmap::fromImage(face));
}

// Only what was drawn since the last presentation is copied to the screen.
void TfrmMain::PresentField()
{
    const QRect changed = Board.TakeChanged();
    pbImage->Present(Board.bmpField, changed);
    TellSectorsChanged(changed);
}

void TfrmMain::DrawMinesLeftCounter(int32_t count)
{
    const QString text = MinesLeftText(count);
    DrawCounter(bmpLeft, bmpMainBackground, pbxLeft->pos(), text);
    pbxLeft->Present(bmpLeft);
    pbxLeft->setAccessibleName(CounterReading("Mines left", text));
}

void TfrmMain::DrawTimeCounter(float seconds)
{
    const QString text = TimeText(seconds);
    DrawCounter(bmpTime, bmpMainBackground, pbxTime->pos(), text);
    pbxTime->Present(bmpTime);
    pbxTime->setProperty(AccessibleReading, CounterReading("Time", text));
}

void TfrmMain::DrawProgressBar(int32_t percent)
{
    ::DrawProgressBar(bmpBar, bmpMainBackground, QPoint(784, 476), percent);
    if (pbxBar != nullptr) pbxBar->Present(bmpBar);
}

void TfrmMain::HideEngineTimes()
{
    Stats->HideRunTimes();
}
