// The game history through the window: every game kept with its moves when it ends, a game
// played again, a record file opened, a history that cannot be written, and a game reviewed.
#include "main_window_fixture.h"

#include "history_store.h"
#include "paint_box.h"
#include "review_window.h"
#include "statistics_window.h"

#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>

namespace
{

class HistoryWindowTest : public MainWindowTest
{
  protected:
    // Untimed, so that a win asks for no name.
    void OpenBeginner()
    {
        OpenOnLevel(0);
        Game().TimedGame = 0;
        Errors.clear(); // the missing engine's message
    }

    // Beginner with the real engine, untimed, the games kept.
    void OpenReviewable()
    {
        HistoryFile = Folder.filePath("games.sqlite");
        OpenOnLevel(0, 1, KELVANE_ENGINE_PATH);
        ASSERT_TRUE(Window->EngineLoaded());
        Game().TimedGame = 0;
    }

    // Opens (0, 0), marks a mine, takes the marker off and opens the mine, 1.5 s apart.
    void LoseInFourMoves(int32_t &mc, int32_t &mr)
    {
        Click(Qt::LeftButton, 0, 0);
        ASSERT_TRUE(Find(SECTOR_CLOSED, true, mc, mr));
        for (Qt::MouseButton button : {Qt::RightButton, Qt::RightButton, Qt::LeftButton}) {
            Now += 1500;
            Click(button, mc, mr);
        }
        ASSERT_EQ(Window->CurrentRecord().End, GameEnd::Lost);
    }

    ReviewWindow *Review()
    {
        auto *review = Window->findChild<ReviewWindow *>();
        return review != nullptr && review->isVisible() ? review : nullptr;
    }

    QString Sentence(int row)
    {
        return Review()->MoveTable()->item(row, 0)->data(Qt::AccessibleTextRole).toString();
    }

    // The player's decimal point in the numbers of a text.
    static QString Local(const char *text)
    {
        return QString(text).replace(QRegularExpression("(\\d)\\.(\\d)"),
                                     QString("\\1%1\\2").arg(LocaleDecimalPoint()));
    }

    QRect FrameAround(int32_t c, int32_t r)
    {
        return Review()->SectorInterior(c, r).adjusted(-4, -4, 4, 4);
    }

    QList<GameSummary> Kept()
    {
        Window->History()->Flush();
        QList<GameSummary> games;
        QString error;
        EXPECT_TRUE(Window->History()->LastGames(nullptr, 100, games, error))
            << error.toStdString();
        return games;
    }
};

TEST_F(HistoryWindowTest, EveryGameWithAFirstPress_IsKeptWhenItEnds_WithItsMoves)
{
    HistoryFile = Folder.filePath("games.sqlite");
    OpenBeginner();
    Click(Qt::LeftButton, 0, 0);
    int32_t c = 0, r = 0, mc = 0, mr = 0;
    ASSERT_TRUE(Find(SECTOR_CLOSED, true, mc, mr));
    Now += 700;
    Click(Qt::RightButton, mc, mr);
    Now += 300;
    Click(Qt::RightButton, mc, mr);
    Now += 500;
    Click(Qt::LeftButton, mc, mr); // lost
    const GameRecord lost = Window->CurrentRecord();
    EXPECT_EQ(lost.End, GameEnd::Lost);
    const std::vector<RecordedMove> moves = {{0, MoveKind::Open, 0, 0},
                                             {700, MoveKind::Mark, mc, mr},
                                             {1000, MoveKind::Unmark, mc, mr},
                                             {1500, MoveKind::Open, mc, mr}};
    EXPECT_EQ(lost.Moves, moves);
    for (c = 0; c < 10; ++c)
        for (r = 0; r < 10; ++r)
            EXPECT_EQ(lost.MineAt(c, r), Mined(c, r));

    Window->NewGame(); // a lost game is not abandoned again
    Window->NewGame(); // nor a game without a first press
    Click(Qt::LeftButton, 0, 0);
    QTest::keyClick(Window.get(), Qt::Key_F2); // abandoned
    Click(Qt::LeftButton, 0, 0);
    OpenAllSafe();
    const QList<GameSummary> games = Kept();
    ASSERT_EQ(games.size(), 3);
    EXPECT_EQ(games[0].End, GameEnd::Won);
    EXPECT_EQ(games[1].End, GameEnd::Abandoned);
    EXPECT_EQ(games[2].End, GameEnd::Lost);
    EXPECT_EQ(games[0].Figures.BbbvSolved, games[0].Figures.Bbbv);
    EXPECT_EQ(games[2].Figures.Clicks, 4);
    EXPECT_FALSE(games[2].Reviewed) << "no engine, no review";

    // A game left by closing the window is kept too.
    Window->NewGame();
    Click(Qt::LeftButton, 0, 0);
    Window->close();
    Window.reset();
    HistoryStore reopened(HistoryFile);
    QList<GameSummary> all;
    QString error;
    ASSERT_TRUE(reopened.LastGames(nullptr, 100, all, error));
    ASSERT_EQ(all.size(), 4);
    EXPECT_EQ(all[0].End, GameEnd::Abandoned);
}

TEST_F(HistoryWindowTest, PlayedAgain_TheRecordedMinesLie_AndNoBestTimeIsSet)
{
    HistoryFile = Folder.filePath("games.sqlite");
    OpenOnLevel(0);
    Game().TimedGame = 1;
    Click(Qt::LeftButton, 0, 0);
    Now += 3000;
    Window->TimerCtlTimer();
    QTimer::singleShot(0, [this] { Window->frmBest->accept(); });
    OpenAllSafe();
    ASSERT_EQ(Prompts.size(), 1);
    const GameRecord won = Window->CurrentRecord();

    Window->ChooseLevel(2);
    Window->PlayAgain(won);
    EXPECT_EQ(Game().SizeX, 10);
    EXPECT_EQ(Window->sbStatus->text(),
              "Replay: the first press was on 0, 0; elsewhere may be a mine");
    Window->Rng.Seed(99); // another seed would lay other mines
    Click(Qt::LeftButton, 0, 0);
    for (int32_t c = 0; c < 10; ++c)
        for (int32_t r = 0; r < 10; ++r)
            ASSERT_EQ(Mined(c, r), won.MineAt(c, r));
    Now += 1000;
    Window->TimerCtlTimer();
    OpenAllSafe();
    EXPECT_EQ(Game().Live, 0);
    EXPECT_EQ(Prompts.size(), 1); // faster, but no record
    const QList<GameSummary> games = Kept();
    ASSERT_EQ(games.size(), 2);
    EXPECT_TRUE(games[0].Replayed);
    EXPECT_FALSE(games[1].Replayed);

    // A first press elsewhere may be on a mine.
    Window->PlayAgain(won);
    int32_t mine = 0;
    while (!won.MineAt(mine % 10, mine / 10))
        ++mine;
    const int32_t mc = mine % 10, mr = mine / 10;
    Click(Qt::LeftButton, mc, mr);
    EXPECT_EQ(Window->sbStatus->text(), "Game Over!");
}

TEST_F(HistoryWindowTest, AGameFile_IsPlayedAgain_OrRefusedWithItsLine)
{
    OpenBeginner();
    Click(Qt::LeftButton, 0, 0);
    OpenAllSafe();
    const std::string text = WriteRecord(Window->CurrentRecord());
    QFile good(Folder.filePath("good.kelvane-game")), bad(Folder.filePath("bad.kelvane-game"));
    ASSERT_TRUE(good.open(QIODevice::WriteOnly) && bad.open(QIODevice::WriteOnly));
    good.write(text.data(), qint64(text.size()));
    bad.write("kelvane-game 1\nsize 10 10\n");
    good.close();
    bad.close();

    EXPECT_FALSE(Window->OpenGameFile(bad.fileName()));
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_TRUE(Errors[0].contains("line 2")) << Errors[0].toStdString();
    EXPECT_FALSE(Window->OpenGameFile(Folder.filePath("missing")));
    EXPECT_EQ(Errors.size(), 2);
    EXPECT_TRUE(Window->OpenGameFile(good.fileName()));
    Click(Qt::LeftButton, 0, 0);
    for (int32_t c = 0; c < 10; ++c)
        for (int32_t r = 0; r < 10; ++r)
            ASSERT_EQ(Mined(c, r), Window->CurrentRecord().MineAt(c, r));
}

TEST_F(HistoryWindowTest, AHistoryThatCannotBeWritten_IsToldOnce_AndTheGamesPlayOn)
{
    QFile blocker(Folder.filePath("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    HistoryFile = Folder.filePath("not-a-folder/games.sqlite");
    OpenBeginner();
    for (int game = 0; game < 2; ++game) {
        Click(Qt::LeftButton, 0, 0);
        OpenAllSafe();
        Window->History()->Flush();
        QCoreApplication::processEvents();
        Window->NewGame();
    }
    EXPECT_EQ(Errors.size(), 1);
    EXPECT_EQ(Game().Live, 1);
}

TEST_F(HistoryWindowTest, F3_OpensTheStatistics_WithTheGamesOfEachLevel)
{
    HistoryFile = Folder.filePath("games.sqlite");
    OpenBeginner();
    Click(Qt::LeftButton, 0, 0);
    OpenAllSafe();
    QTest::keyClick(Window.get(), Qt::Key_F3);
    auto *statistics = Window->findChild<StatisticsWindow *>();
    ASSERT_NE(statistics, nullptr);
    EXPECT_TRUE(statistics->isVisible());
    QTableWidget *levels = statistics->LevelTable();
    ASSERT_EQ(levels->rowCount(), 4);
    EXPECT_EQ(levels->item(0, 0)->text(), "Beginner");
    EXPECT_EQ(levels->item(0, 1)->text(), "1");
    EXPECT_EQ(levels->item(0, 2)->text(), "1");
    EXPECT_EQ(statistics->GameTable()->rowCount(), 1);

    // Played again from the list.
    statistics->GameTable()->selectRow(0);
    statistics->PlayAgainClick();
    EXPECT_TRUE(Window->sbStatus->text().startsWith("Replay"));
}

TEST_F(HistoryWindowTest, F4_ReviewsTheLastGame_MoveByMove_ByKeys_AndReadAloud)
{
    OpenReviewable();
    QTest::keyClick(Window.get(), Qt::Key_F4);
    ASSERT_EQ(Errors.size(), 1); // no game yet
    EXPECT_EQ(Review(), nullptr);
    int32_t mc = 0, mr = 0;
    LoseInFourMoves(mc, mr);
    const size_t lostMoves = Window->CurrentRecord().Moves.size();
    Window->NewGame(); // the lost game is the last finished while this one runs
    Click(Qt::LeftButton, 0, 0);

    QTest::keyClick(Window.get(), Qt::Key_F4);
    ReviewWindow *review = Review();
    ASSERT_NE(review, nullptr);
    QTableWidget *moves = review->MoveTable();
    ASSERT_EQ(moves->rowCount(), int(lostMoves));
    EXPECT_EQ(review->ChosenMove(), 0);
    EXPECT_EQ(review->FieldBox()->FrameShown(), FrameAround(0, 0));
    const QImage before = review->FieldBox()->Shown();

    struct Step {
        Qt::Key Key;
        int32_t Move;
    };
    for (const Step step : {Step{Qt::Key_End, 3}, Step{Qt::Key_Home, 0}, Step{Qt::Key_Down, 1},
                            Step{Qt::Key_Right, 2}, Step{Qt::Key_Left, 1}, Step{Qt::Key_Up, 0},
                            Step{Qt::Key_Up, 0}, Step{Qt::Key_End, 3}}) {
        QTest::keyClick(moves, step.Key);
        EXPECT_EQ(review->ChosenMove(), step.Move) << step.Key;
        EXPECT_EQ(review->FieldBox()->FrameShown(),
                  FrameAround(step.Move ? mc : 0, step.Move ? mr : 0));
    }
    EXPECT_NE(review->FieldBox()->Shown(), before); // the field follows the move

    EXPECT_EQ(Sentence(0), Local("Move 1 at 0.0 s: open 0, 0, first press."));
    EXPECT_TRUE(Sentence(1).startsWith(Local("Move 2 at 1.5 s: mark %1, %2, ").arg(mc).arg(mr)));
    EXPECT_TRUE(Sentence(1).endsWith(", right.")) << Sentence(1).toStdString();
    // The losing move reads its grade and odds as the row shows them.
    const QString grade = moves->item(3, 5)->text();
    ASSERT_TRUE(grade == "needless" || grade == "best" || grade == "risky") << grade.toStdString();
    // The history keeps the game graded once its end was shown, as the review grades it.
    const QList<GameSummary> kept = Kept();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(kept[0].Reviewed);
    EXPECT_EQ(GradeName(kept[0].Review.Cause), grade.toStdString());
    EXPECT_TRUE(Sentence(3).startsWith(Local("Move 4 at 4.5 s: open %1, %2, %3 guess, %4 mine")
                                           .arg(mc)
                                           .arg(mr)
                                           .arg(grade, moves->item(3, 6)->text())))
        << Sentence(3).toStdString();
    EXPECT_TRUE(Sentence(3).endsWith(", hit a mine.")) << Sentence(3).toStdString();
    // Beside the guess, once the window shows, the sector the hint chooses there; none beside
    // the other moves.
    EXPECT_EQ(moves->item(3, 9)->text(), "-");
    QCoreApplication::processEvents();
    const QString hint = moves->item(3, 9)->text();
    EXPECT_TRUE(QRegularExpression("^\\d+, \\d+$").match(hint).hasMatch()) << hint.toStdString();
    EXPECT_TRUE(Sentence(3).contains(", the hint was " + hint + ",")) << Sentence(3).toStdString();
    EXPECT_EQ(moves->accessibleDescription(), Sentence(3)); // read again with its hint
    if (grade == "needless") {
        EXPECT_NE(hint, QString("%1, %2").arg(mc).arg(mr));
    }
    for (int row = 0; row < 3; ++row)
        EXPECT_EQ(moves->item(row, 9)->text(), "-");
    EXPECT_EQ(moves->accessibleDescription(), Sentence(3));
    EXPECT_NE(moves->item(3, 0)->background(), moves->item(0, 0)->background());
    review->close();

    // The engine is the running game's again: a middle press computes the player's board.
    int32_t c = 0, r = 0;
    ASSERT_TRUE(Find(SECTOR_CLOSED, false, c, r));
    ASSERT_LT(Game().Prob[KELVANE_SECTOR_INDEX(c, r)], 0.0f);
    Click(Qt::MiddleButton, c, r);
    EXPECT_GE(Game().Prob[KELVANE_SECTOR_INDEX(c, r)], 0.0f);
}

TEST_F(HistoryWindowTest, TheStatisticsReviewTheListedGame_AndTheReviewOpensRecordFiles)
{
    OpenReviewable();
    int32_t mc = 0, mr = 0;
    LoseInFourMoves(mc, mr);
    const std::string lost = WriteRecord(Window->CurrentRecord());
    Window->NewGame();
    Click(Qt::LeftButton, 0, 0);
    OpenAllSafe();
    const size_t wonMoves = Window->CurrentRecord().Moves.size();

    QTest::keyClick(Window.get(), Qt::Key_F3);
    auto *statistics = Window->findChild<StatisticsWindow *>();
    ASSERT_NE(statistics, nullptr);
    statistics->GameTable()->selectRow(1); // the lost game, the older one
    QPushButton *button = nullptr;
    for (QPushButton *each : statistics->findChildren<QPushButton *>())
        if (each->text() == "Re&view") button = each;
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_NE(Review(), nullptr);
    EXPECT_EQ(Review()->MoveTable()->rowCount(), 4);
    EXPECT_TRUE(statistics->isVisible());

    // A record file from the Review window: refused with its line, or reviewed.
    QFile good(Folder.filePath("good.kelvane-game")), bad(Folder.filePath("bad.kelvane-game"));
    ASSERT_TRUE(good.open(QIODevice::WriteOnly) && bad.open(QIODevice::WriteOnly));
    good.write(lost.data(), qint64(lost.size()));
    bad.write("kelvane-game 1\nsize 10 10\n");
    good.close();
    bad.close();
    statistics->GameTable()->selectRow(0);
    QTest::mouseClick(button, Qt::LeftButton);
    ASSERT_EQ(Review()->MoveTable()->rowCount(), int(wonMoves));
    QString chosen = bad.fileName();
    Review()->AskOpenFile = [&chosen](QWidget *) { return chosen; };
    Review()->OpenClick();
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_TRUE(Errors[0].contains("line 2")) << Errors[0].toStdString();
    EXPECT_EQ(Review()->MoveTable()->rowCount(), int(wonMoves));
    chosen = good.fileName();
    Review()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Review()));
    QTest::keyClick(Review()->MoveTable(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(Review()->MoveTable()->rowCount(), 4);
}

} // namespace
