// The hint through the window: H frames the sector the policy chose and says why, the next
// key takes the frame away, and a game a hint helped sets no best time and is kept assisted.
#include "main_window_fixture.h"

#include "history_store.h"

namespace
{

TEST_F(MainWindowTest, H_FramesTheHintAndSaysWhy_AndTheGameItHelpedIsKeptAssisted)
{
    HistoryFile = Folder.filePath("games.sqlite");
    OpenOnLevel(0, 1, KELVANE_ENGINE_PATH);
    ASSERT_TRUE(Window->EngineLoaded());
    Click(Qt::LeftButton, 0, 0);

    QTest::keyClick(Window.get(), Qt::Key_H);
    const QRect frame = Window->pbImage->FrameShown();
    int32_t hc = -1, hr = -1;
    for (int32_t c = 0; c < Game().SizeX; ++c)
        for (int32_t r = 0; r < Game().SizeY; ++r)
            if (Window->Board.Interior(c, r).adjusted(-1, -1, 1, 1) == frame) hc = c, hr = r;
    ASSERT_GE(hc, 0) << "a sector is framed";
    EXPECT_EQ(State(hc, hr), SECTOR_CLOSED);
    const QString why = Window->sbStatus->text();
    // The engine's own probability of the framed sector agrees with what the line says.
    Click(Qt::MiddleButton, hc, hr);
    const float p = Game().Prob[KELVANE_SECTOR_INDEX(hc, hr)];
    if (why == "Safe")
        EXPECT_EQ(p, 0.0f);
    else if (why == "Mine")
        EXPECT_EQ(p, 1.0f);
    else
        EXPECT_TRUE(why.startsWith("Best guess: ") || why == "50/50: no move is better")
            << why.toStdString();
    EXPECT_TRUE(Window->pbImage->FrameShown().isNull()) << "the next press takes it away";
    QTest::keyClick(Window.get(), Qt::Key_H);
    EXPECT_FALSE(Window->pbImage->FrameShown().isNull());
    QTest::keyClick(Window.get(), Qt::Key_Escape);
    EXPECT_TRUE(Window->pbImage->FrameShown().isNull()) << "and so does the next key";

    CancelName = true; // were a best time asked for, the test would not wait on its table
    OpenAllSafe();     // a timed win, but no best time for a game a hint helped
    EXPECT_EQ(Game().Live, 0);
    EXPECT_TRUE(Prompts.isEmpty());
    QList<GameSummary> kept;
    QString error;
    Window->History()->Flush();
    ASSERT_TRUE(Window->History()->LastGames(nullptr, 10, kept, error)) << error.toStdString();
    ASSERT_EQ(kept.size(), 1);
    EXPECT_TRUE(kept[0].Assisted);
    EXPECT_EQ(kept[0].End, GameEnd::Won);
}

} // namespace
