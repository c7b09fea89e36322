// The game history through the window: every game kept with its moves when it ends, a game
// played again, a record file opened, and a history that cannot be written.
#include "main_window_fixture.h"

#include "history_store.h"
#include "statistics_window.h"

#include <QFile>
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

} // namespace
