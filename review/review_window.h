// The Review window: a recorded game move by move. The field as it was before the chosen
// move, drawn by the board's own painter with that position's mine probabilities and the
// move's sector framed; the list of moves with their grades; the game's figures and its luck.
// It shows a review that its caller computed and never runs the engine itself.
#pragma once

#include "field_painter.h"
#include "game_review.h"

#include <QDialog>

#include <functional>

class PaintBox;
class QLabel;
class QTableWidget;

// What a screen reader hears for a move: "Move 12 at 3.4 s: open 5, 7, risky guess, 25.0 %
// mine, the safest was 12.5 %, hit a mine." (move from 0).
QString MoveSentence(const GameRecord &record, const GameReview &review, size_t move);

class ReviewWindow : public QDialog
{
    Q_OBJECT
  public:
    // Draws at `scale` device pixels per layout pixel, as the main window does.
    explicit ReviewWindow(int32_t scale, QWidget *parent = nullptr);

    // Shows the game and its review (one grade per move), the first move chosen.
    void ShowGame(const GameRecord &record, const GameReview &review);
    // Shows the hints beside the guesses of `review` (HintGuesses has run on it) when the game
    // shown is still `record`.
    void ShowHints(const GameRecord &record, const GameReview &review);

    // The player's answers; tests replace them. AskOpenFile returns "" on cancel.
    std::function<QString(QWidget *parent)> AskOpenFile;
    std::function<void(const QString &message)> ShowError;

    // What the window shows, for tests and the screen reader alike.
    QTableWidget *MoveTable() const { return Moves; }
    PaintBox *FieldBox() const { return Field; }
    // The move whose position the field shows, from 0.
    int32_t ChosenMove() const;
    // The layout-pixel rectangle inside a sector's grid lines on the field box.
    QRect SectorInterior(int32_t c, int32_t r) const { return Board.Interior(c, r); }

    // Asks for a record file and, when it reads, asks for its review.
    void OpenClick();

  signals:
    // A record to review in place of the one shown.
    void ReviewAsked(const GameRecord &record);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void ShowMoves();
    void ShowSummary();
    void ShowPosition(int32_t move);
    void ChooseMove(int32_t move);
    void SayRow(int row);
    void SayChosen(int move);

    FieldPainter Board;
    QImage Background; // the main window's picture, for the sectors' textures
    GameRecord Record;
    GameReview Review;
    std::vector<int32_t> Numbers; // mines around each sector, row by row
    PaintBox *Field = nullptr;
    QTableWidget *Moves = nullptr;
    QLabel *Summary = nullptr;
};
