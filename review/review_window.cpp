#include "review_window.h"

#include "artwork.h"
#include "best_times.h"
#include "dialog_parts.h"
#include "display_scale.h"
#include "level_table.h"
#include "paint_box.h"
#include "record_file.h"
#include "statistics_window.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace
{

// The field's area: an Expert field at the main window's 24-pixel sectors; smaller fields
// grow to fill it (up to 48-pixel sectors), an Ultra one shrinks.
constexpr int FieldWidth = 577;
constexpr int FieldHeight = 481;
constexpr int FieldMaxScale = 2;
// Where the main window's board lies in its picture: the sectors get the board's textures.
const QPoint BoardOrigin(4, 32);

const QColor SafeRow(218, 240, 212);
const QColor WrongRow(250, 212, 204);

QString Percent(double p)
{
    return LocaleFixed(100.0 * p, 1) + " %";
}

QString Seconds(uint32_t ms)
{
    return LocaleFixed(ms / 1000.0, 1);
}

QString GradeWords(MoveGrade grade)
{
    switch (grade) {
    case MoveGrade::First:
        return "first press";
    case MoveGrade::Safe:
        return "safe";
    case MoveGrade::Needless:
        return "needless guess";
    case MoveGrade::Best:
        return "best guess";
    case MoveGrade::Risky:
        return "risky guess";
    case MoveGrade::Sure:
        return "sure";
    case MoveGrade::Guess:
        return "guessed";
    case MoveGrade::None:
        break;
    }
    return "not graded";
}

LevelKey KeyOf(const GameRecord &record)
{
    for (int32_t level = 0; level < LevelCustom; ++level)
        if (LevelTable[level].SizeX == record.Width && LevelTable[level].SizeY == record.Height &&
            LevelTable[level].Mines == record.Mines)
            return {level, 0, 0, 0};
    return {LevelCustom, record.Width, record.Height, record.Mines};
}

// The hint's sector beside a guess: "x, y".
QString HintText(const MoveReview &r)
{
    return r.HintX >= 0 ? QString("%1, %2").arg(r.HintX).arg(r.HintY) : QString("-");
}

} // namespace

QString MoveSentence(const GameRecord &record, const GameReview &review, size_t move)
{
    const RecordedMove &m = record.Moves[move];
    const MoveReview &r = review.Moves[move];
    QString text = QString("Move %1 at %2 s: %3 %4, %5")
                       .arg(move + 1)
                       .arg(Seconds(m.Ms), KindName(m.Kind))
                       .arg(m.X)
                       .arg(m.Y);
    const bool marker = m.Kind == MoveKind::Mark || m.Kind == MoveKind::Unmark;
    if (m.Kind != MoveKind::Probe || r.Grade != MoveGrade::None) text += ", " + GradeWords(r.Grade);
    if (r.P >= 0.0) text += ", " + Percent(r.P) + " mine";
    if (IsGuess(r.Grade) && r.Delta() > 0.0) text += ", the safest was " + Percent(r.Smallest);
    if (r.HintX >= 0) text += ", the hint was " + HintText(r);
    if (r.Hit) text += ", hit a mine";
    if (marker && r.Grade != MoveGrade::None) text += r.MarkerRight ? ", right" : ", wrong";
    return text + ".";
}

ReviewWindow::ReviewWindow(int32_t scale, QWidget *parent) : QDialog(parent), Board(scale)
{
    setObjectName("frmReview");
    setWindowTitle("Review");
    // The game shown stays the one the player asked for: nothing is played meanwhile.
    setWindowModality(Qt::ApplicationModal);
    UseProgramLook(this);

    Background = AtScale(LoadArtwork(u"MAINBKGND"), Board.Scale(), true);
    if (Background.isNull()) { // the sectors still show on the plain colour
        Background = ScaledCanvas(WindowLayoutSize, Board.Scale());
        Background.fill(Cream);
    }
    Background = Background.convertToFormat(QImage::Format_RGB32);

    Field = new PaintBox(this, QRect(0, 0, FieldWidth, FieldHeight));
    Field->setFixedSize(FieldWidth, FieldHeight);
    Field->setAccessibleName("Field");

    Moves = MakeListTable(
        this, {"Move", "Time", "Action", "X", "Y", "Grade", "p", "Smallest", "Delta", "Hint"},
        "Moves");
    Moves->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    Moves->horizontalHeader()->setStretchLastSection(true);
    Moves->setMinimumWidth(380);
    Moves->installEventFilter(this);
    connect(Moves, &QTableWidget::currentCellChanged, this, [this](int row) { ShowPosition(row); });

    auto *movesCaption = new QLabel("&Moves", this);
    movesCaption->setFont(DialogLabelFont(true));
    movesCaption->setBuddy(Moves);
    auto *gameCaption = new QLabel("Game", this);
    gameCaption->setFont(DialogLabelFont(true));
    Summary = new QLabel(this);
    Summary->setObjectName("lblSummary");
    Summary->setTextFormat(Qt::RichText);
    Summary->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto *openButton = new QPushButton("&Open...", this);
    auto *closeButton = new QPushButton("Close", this);
    connect(openButton, &QPushButton::clicked, this, &ReviewWindow::OpenClick);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    closeButton->setDefault(true);
    auto *open = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
    connect(open, &QShortcut::activated, this, &ReviewWindow::OpenClick);

    auto *left = new QVBoxLayout();
    left->addWidget(Field);
    left->addWidget(gameCaption);
    left->addWidget(Summary, 1);
    auto *right = new QVBoxLayout();
    right->addWidget(movesCaption);
    right->addWidget(Moves, 1);
    auto *buttons = new QHBoxLayout();
    buttons->addWidget(openButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    right->addLayout(buttons);
    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(right, 1);
    // Wide enough for every column where the screen allows; a small screen scrolls the list.
    resize(std::min(1060, screen()->availableGeometry().width() - 32), 680);

    AskOpenFile = [](QWidget *parent) {
        return QFileDialog::getOpenFileName(parent, "Open Game", QString(),
                                            "Kelvane games (*.kelvane-game);;All files (*)");
    };
    ShowError = [this](const QString &message) { QMessageBox::critical(this, "Kelvane", message); };
}

void ReviewWindow::ShowGame(const GameRecord &record, const GameReview &review)
{
    Record = record;
    Review = review;
    const int32_t w = Record.Width, h = Record.Height;
    Numbers = MinesAround(Record);
    Board.LayoutField(LayoutGeometry(w, h, FieldMaxScale, FieldWidth, FieldHeight, FieldGeometry()),
                      Background, BoardOrigin);
    ShowMoves();
    ShowSummary();
    ChooseMove(0);
}

namespace
{

// Fitting the columns to their contents after every changed cell would take the table's whole
// length each time, once it shows: once, when the changes are done.
class ColumnsFitOnce
{
  public:
    explicit ColumnsFitOnce(QTableWidget *table) : Header(table->horizontalHeader())
    {
        Header->setSectionResizeMode(QHeaderView::Interactive);
    }
    ~ColumnsFitOnce() { Header->setSectionResizeMode(QHeaderView::ResizeToContents); }

  private:
    QHeaderView *Header;
};

} // namespace

void ReviewWindow::ShowMoves()
{
    const QSignalBlocker quiet(Moves);
    const ColumnsFitOnce fit(Moves);
    const int rows = int(std::min(Record.Moves.size(), Review.Moves.size()));
    Moves->clearContents();
    Moves->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        const RecordedMove &m = Record.Moves[row];
        const MoveReview &r = Review.Moves[row];
        const bool some = r.P >= 0.0 && r.Smallest >= 0.0;
        const QStringList cells = {QString::number(row + 1),
                                   Seconds(m.Ms),
                                   KindName(m.Kind),
                                   QString::number(m.X),
                                   QString::number(m.Y),
                                   GradeName(r.Grade),
                                   r.P >= 0.0 ? Percent(r.P) : QString("-"),
                                   r.Smallest >= 0.0 ? Percent(r.Smallest) : QString("-"),
                                   some ? Percent(r.Delta()) : QString("-"),
                                   HintText(r)};
        const bool wrong = r.Hit || r.Grade == MoveGrade::Needless || r.Grade == MoveGrade::Risky;
        const bool safe =
            r.Grade == MoveGrade::Safe || r.Grade == MoveGrade::Sure || r.Grade == MoveGrade::First;
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells[column]);
            if (column != 2 && column != 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (wrong || safe) item->setBackground(wrong ? WrongRow : SafeRow);
            Moves->setItem(row, column, item);
        }
        SayRow(row);
    }
}

// The row's sentence for the screen reader and the tooltip, on every cell.
void ReviewWindow::SayRow(int row)
{
    const QString sentence = MoveSentence(Record, Review, size_t(row));
    for (int column = 0; column < Moves->columnCount(); ++column) {
        Moves->item(row, column)->setData(Qt::AccessibleTextRole, sentence);
        Moves->item(row, column)->setToolTip(sentence);
    }
}

// The chosen move's sentence, read with the field and the list.
void ReviewWindow::SayChosen(int move)
{
    const QString sentence = MoveSentence(Record, Review, size_t(move));
    Field->setAccessibleDescription(sentence);
    Moves->setAccessibleDescription(sentence);
}

void ReviewWindow::ShowHints(const GameRecord &record, const GameReview &review)
{
    if (!(record == Record) || review.Moves.size() != Review.Moves.size()) return;
    {
        const ColumnsFitOnce fit(Moves);
        for (int row = 0; row < Moves->rowCount(); ++row) {
            MoveReview &shown = Review.Moves[size_t(row)];
            shown.HintX = review.Moves[size_t(row)].HintX;
            shown.HintY = review.Moves[size_t(row)].HintY;
            if (shown.HintX < 0) continue;
            Moves->item(row, Moves->columnCount() - 1)->setText(HintText(shown));
            SayRow(row);
        }
    }
    Review.Hinted = true;
    if (Moves->currentRow() >= 0) SayChosen(Moves->currentRow());
}

void ReviewWindow::ShowSummary()
{
    const GameFigures figures = FiguresOf(Record);
    const ReviewFigures &luck = Review.Figures;
    double rate = 0.0;
    const bool timed = figures.BbbvPerSecond(Record.Seconds, rate);
    const double bits = luck.Luck();
    QList<std::pair<QString, QString>> rows = {
        {"Level", LevelName(KeyOf(Record))},
        {"Result", EndCaption(Record.End)},
        {"Time", Record.Seconds > 0.0 ? LocaleFixed(Record.Seconds, 1) + " s" : QString("-")},
        {"3BV", QString::number(figures.Bbbv)},
        {"3BV solved", QString::number(figures.BbbvSolved)},
        {"3BV/s", timed ? LocaleFixed(rate, 2) : QString("-")},
        {"Clicks", QString::number(figures.Clicks)},
        {"Effective clicks", QString::number(figures.EffectiveClicks)},
        {"IOE", LocaleFixed(figures.Ioe(), 2)},
        {"Guesses", QString::number(luck.Guesses)},
        {"Needless guesses", QString::number(luck.Needless)},
        {"Risky guesses", QString::number(luck.Risky)},
        {"Survival", Percent(luck.Survival)},
        {"Luck", LuckText(bits) + " bits"}};
    if (Record.End == GameEnd::Lost)
        rows.append({"Cause of the loss",
                     luck.Cause == MoveGrade::None
                         ? QString("-")
                         : QString("%1 (%2)").arg(luck.Avoidable() ? "avoidable" : "unlucky",
                                                  GradeWords(luck.Cause))});
    if (luck.Unfinished > 0)
        rows.append({"Positions not graded", QString::number(luck.Unfinished)});
    // Two captions and values a line, read in order by a screen reader.
    QString html = "<table cellspacing=\"0\" cellpadding=\"1\">";
    for (int i = 0; i < rows.size(); i += 2) {
        html += "<tr>";
        for (int j = i; j < std::min(i + 2, int(rows.size())); ++j)
            html += QString("<td style=\"padding-right:6px\">%1:</td>"
                            "<td style=\"padding-right:16px\"><b>%2</b></td>")
                        .arg(rows[j].first.toHtmlEscaped(), rows[j].second.toHtmlEscaped());
        html += "</tr>";
    }
    Summary->setText(html + "</table>");
}

int32_t ReviewWindow::ChosenMove() const
{
    return Moves->currentRow();
}

void ReviewWindow::ChooseMove(int32_t move)
{
    if (Moves->rowCount() == 0) return ShowPosition(-1);
    move = std::clamp(move, 0, Moves->rowCount() - 1);
    if (move == Moves->currentRow()) return ShowPosition(move);
    Moves->setCurrentCell(move, 0); // shows it through currentCellChanged
}

// The position before the move as the player saw it, with its probabilities on the closed
// sectors, as the probability display draws them.
void ReviewWindow::ShowPosition(int32_t move)
{
    const int32_t w = Record.Width, h = Record.Height;
    Board.RedrawField(Background, BoardOrigin, w, h);
    if (move < 0 || size_t(move) >= Review.Moves.size()) {
        Field->Present(Board.bmpField);
        Field->ShowFrame(QRect());
        return;
    }
    const std::vector<int32_t> states = StatesAfter(Record, size_t(move));
    const std::vector<float> &p = Review.ProbabilitiesBefore(size_t(move));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const size_t at = size_t(y) * w + x;
            switch (states[at]) {
            case SECTOR_OPEN:
                Board.SetFontSize(Board.Geometry.LargeFontSize);
                Board.DrawOpenSector(x, y, Numbers[at]);
                break;
            case SECTOR_MARKED:
                Board.SetFontSize(Board.Geometry.LargeFontSize);
                Board.DrawMarker(x, y);
                break;
            case SECTOR_TRIGGERED:
                Board.SetFontSize(Board.Geometry.LargeFontSize);
                Board.DrawFatalSector(x, y);
                break;
            default:
                Board.SetFontSize(Board.Geometry.SmallFontSize);
                Board.DrawClosedSector(x, y, at < p.size() ? p[at] : -1.0f);
                break;
            }
        }
    Board.SetFontSize(Board.Geometry.LargeFontSize);
    Board.TakeChanged();
    Field->Present(Board.bmpField);
    const RecordedMove &m = Record.Moves[size_t(move)];
    // The frame's ring lies on the grid and the neighbours' edges: the move's own
    // probability stays whole.
    Field->ShowFrame(Board.Interior(m.X, m.Y).adjusted(-4, -4, 4, 4));
    Field->setAccessibleName(QString("Field before move %1").arg(move + 1));
    SayChosen(move);
}

// Home and End go to the first and the last move, Left and Right step like Up and Down.
bool ReviewWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != Moves || event->type() != QEvent::KeyPress) return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    const int32_t row = Moves->currentRow();
    switch (key->key()) {
    case Qt::Key_Home:
        ChooseMove(0);
        return true;
    case Qt::Key_End:
        ChooseMove(Moves->rowCount() - 1);
        return true;
    case Qt::Key_Left:
        ChooseMove(row - 1);
        return true;
    case Qt::Key_Right:
        ChooseMove(row + 1);
        return true;
    default:
        return false;
    }
}

void ReviewWindow::OpenClick()
{
    const QString file = AskOpenFile(this);
    if (file.isEmpty()) return;
    GameRecord record;
    QString error;
    if (!ReadRecordFile(file, record, error)) {
        ShowError(error);
        return;
    }
    emit ReviewAsked(record);
}
