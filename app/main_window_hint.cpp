// The hint: the move policy's choice on the board as the player sees it, framed, and why in
// the status line. Asked like an engine run: the busy cursor, the window's input handled every
// so often, Esc halts it. A game in which a hint was asked for sets no best time and is kept
// as assisted.
#include "main_window.h"

#include "best_times.h"
#include "move_policy.h"

#include <QApplication>
#include <QElapsedTimer>

#include <atomic>
#include <vector>

void TfrmMain::ShowHint()
{
    TGameState &game = *GameState;
    if (!EngineLoaded() || game.EngineBusy != 0 || game.Live == 0) return;
    ClearHint();

    // Every engine run of the policy reports here: the window's input is handled every 30 ms,
    // where Esc asks the run to halt.
    struct Wait : EngineCallbacks {
        TfrmMain &Window;
        std::atomic<bool> Stop = false;
        QElapsedTimer Pumped;
        explicit Wait(TfrmMain &window) : Window(window) {}
        void ReportProgress(int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) override
        {
            if (Pumped.isValid() && Pumped.elapsed() < 30) return;
            Pumped.start();
            QCoreApplication::processEvents();
            Stop = Window.GameState->HaltRequest != 0;
        }
    } wait(*this);
    MoveOptions options;
    options.Progress = &wait;
    options.Stop = &wait.Stop;
    options.StepDepth = game.StepDepth;
    // Mines laid by the game's own rule lie in runs along its order, and the policy weighs
    // that; a no-guess board or one played again was laid otherwise.
    std::vector<int32_t> order;
    if (game.Active != 0 && !LaidNoGuess && !Replaying && !Record.Moves.empty()) {
        order.resize(KELVANE_SECTOR_SLOTS);
        order.resize(
            size_t(Rules.MineCandidates(Record.Moves[0].X, Record.Moves[0].Y, order.data())));
        options.LayingOrder = &order;
    }
    game.HaltRequest = 0;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    Hint hint;
    if (!LendEngine([&](ProbabilityEngine &engine) { hint = ChooseMove(engine, game, options); }))
        hint.Halted = true; // out of memory
    QApplication::restoreOverrideCursor();
    game.HaltRequest = 0;
    if (CloseWhenIdle) return CloseIfAskedDuringRun();
    if (hint.Kind == HintKind::None) {
        sbStatus->Show(hint.Halted ? "Stopped: no hint" : "No move is left to hint");
        return;
    }
    HintAsked = true;
    HintShown = true;
    pbImage->ShowFrame(Board.Interior(hint.X, hint.Y).adjusted(-1, -1, 1, 1));
    switch (hint.Kind) {
    case HintKind::Safe:
        sbStatus->Show("Safe");
        break;
    case HintKind::Mine:
        sbStatus->Show("Mine");
        break;
    case HintKind::FiftyFifty:
        sbStatus->Show("50/50: no move is better");
        break;
    default:
        sbStatus->Show(
            QString("Best guess: %1 % safe").arg(LocaleFixed(100.0 * hint.SafeChance, 1)));
        break;
    }
}

// The next press or key takes the hint's frame away (the keyboard cursor's comes back).
void TfrmMain::ClearHint()
{
    if (!HintShown) return;
    HintShown = false;
    ShowCursorFrame();
}
