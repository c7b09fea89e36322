// No-guess boards in the real main window with the real engine: the option in the level
// menu, its place in the settings file, and whole games won by deduction alone.
#include "main_window_fixture.h"

#include "level_table.h"

#include <QApplication>
#include <QFile>
#include <QMenu>

namespace
{

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

class NoGuessWindow : public MainWindowTest
{
  protected:
    QString Ini() { return Folder.filePath("kelvane.ini"); }

    // A generous budget: a sanitizer build on a busy machine may need more than the game's
    // two seconds, and the fallback is tested on its own.
    void OpenWithEngine(double budget = 60.0)
    {
        MainWindowOptions options = Options(KELVANE_ENGINE_PATH);
        options.NoGuessSeconds = budget;
        Window = std::make_unique<TfrmMain>(options);
        Window->show();
        ASSERT_TRUE(Window->EngineLoaded());
    }

    QAction *Entry() { return Window->NoGuessItem; }

    // "Level..." and then an entry of its menu, clicked as the player would.
    void ChooseFromLevelMenu(QAction *action)
    {
        QTest::mouseClick(Window->lblLevel, Qt::LeftButton, {}, QPoint(5, 5));
        QMenu *menu = Window->PopupMenu1;
        ASSERT_TRUE(menu->isVisible());
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    }

    // Asks the engine as the player does: a middle press on a closed sector.
    void AskTheEngine()
    {
        int32_t c, r;
        for (c = 0; c < Game().SizeX; ++c)
            for (r = 0; r < Game().SizeY; ++r)
                if (State(c, r) == SECTOR_CLOSED) {
                    Click(Qt::MiddleButton, c, r);
                    return;
                }
    }

    // Plays the running game by the rule: open what the engine proves safe, mark what it
    // proves mined, ask again. Returns the number of rounds; fails at the first round that
    // proves nothing.
    int PlayByDeduction()
    {
        int rounds = 0;
        while (Game().Live != 0 && !HasFailure()) {
            AskTheEngine();
            ++rounds;
            EXPECT_EQ(Window->Stats->lblStatus->text(), "Finished");
            std::vector<std::pair<int32_t, int32_t>> safe, mined;
            for (int32_t c = 0; c < Game().SizeX; ++c)
                for (int32_t r = 0; r < Game().SizeY; ++r) {
                    if (State(c, r) != SECTOR_CLOSED) continue;
                    const float p = Game().Prob[KELVANE_SECTOR_INDEX(c, r)];
                    if (p == 0.0f)
                        safe.push_back({c, r});
                    else if (p == 1.0f)
                        mined.push_back({c, r});
                }
            EXPECT_FALSE(safe.empty() && mined.empty())
                << "round " << rounds << " proves nothing: " << Game().SafeLeft << " safe left";
            for (auto [c, r] : mined)
                Click(Qt::RightButton, c, r);
            for (auto [c, r] : safe)
                if (State(c, r) == SECTOR_CLOSED && Game().Live != 0) Click(Qt::LeftButton, c, r);
        }
        return rounds;
    }
};

// The history's entries come last, below a separator of their own.
TEST_F(NoGuessWindow, TheOption_IsOffAtFirst_AnEntryOfTheLevelMenuBelowASeparator)
{
    OpenWithEngine();
    const QList<QAction *> entries = Window->PopupMenu1->actions();
    ASSERT_EQ(entries.size(), 11);
    for (int level = 0; level < 4; ++level)
        EXPECT_EQ(entries[level]->text(), LevelTable[level].Name);
    EXPECT_TRUE(entries[4]->isSeparator());
    EXPECT_EQ(entries[5], Entry());
    EXPECT_TRUE(entries[6]->isSeparator());
    EXPECT_EQ(entries[7]->text(), "Statistics...");
    EXPECT_EQ(entries[8]->text(), "Open Game...");
    EXPECT_EQ(entries[9], Window->ReviewItem);
    EXPECT_EQ(entries[9]->text(), "Review Last Game...");
    EXPECT_TRUE(entries[9]->isEnabled());
    EXPECT_EQ(entries[10], Window->HintItem);
    EXPECT_EQ(entries[10]->text(), "Hint");
    EXPECT_TRUE(entries[10]->isEnabled());
    EXPECT_EQ(Entry()->text(), "No-Guess Boards");
    EXPECT_TRUE(Entry()->isCheckable());
    EXPECT_FALSE(Entry()->isChecked());
    EXPECT_TRUE(Entry()->isEnabled());
    EXPECT_EQ(Window->NoGuess, 0);

    // A player who never touches it gets the designed file.
    Window->close();
    const QByteArray fresh = FileBytes(Ini());
    EXPECT_FALSE(fresh.contains("Kelvane")) << fresh.toStdString();
    EXPECT_TRUE(fresh.endsWith("UltraName=Anonymous\r\n\r\n"));
}

TEST_F(NoGuessWindow, TheOption_IsSavedAndReloaded_AndSwitchedOffLeavesTheDesignedFile)
{
    OpenWithEngine();
    Window->close();
    const QByteArray designed = FileBytes(Ini());
    Window.reset();

    OpenWithEngine();
    ChooseFromLevelMenu(Entry());
    EXPECT_TRUE(Entry()->isChecked());
    EXPECT_EQ(Window->NoGuess, 1);
    Window->close();
    EXPECT_EQ(FileBytes(Ini()), designed + "[Kelvane]\r\nNoGuess=1\r\n\r\n");
    Window.reset();

    OpenWithEngine();
    EXPECT_TRUE(Entry()->isChecked());
    EXPECT_EQ(Window->NoGuess, 1);
    ChooseFromLevelMenu(Entry());
    EXPECT_EQ(Window->NoGuess, 0);
    Window->close();
    EXPECT_EQ(FileBytes(Ini()), designed);
}

TEST_F(NoGuessWindow, WithoutTheEngine_TheEntryIsDisabledAndOff_AndTheFileKeepsTheChoice)
{
    QFile file(Ini());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Kelvane]\r\nNoGuess=1\r\n");
    file.close();
    Open(Folder.filePath("missing.so"));
    EXPECT_FALSE(Entry()->isEnabled());
    EXPECT_FALSE(Window->ReviewItem->isEnabled()); // the review needs the engine too
    EXPECT_FALSE(Window->HintItem->isEnabled());   // and so does the hint
    EXPECT_FALSE(Entry()->isChecked());
    Window->ChooseLevel(0);
    Click(Qt::LeftButton, 4, 4);
    EXPECT_EQ(Game().Active, 1); // an ordinary board, and no note about it
    EXPECT_TRUE(Window->sbStatus->text().isEmpty());

    // The save keeps the player's choice (and turns the probabilities off); once the engine
    // is back, so is the option.
    Window->close();
    const QByteArray saved = FileBytes(Ini());
    EXPECT_TRUE(saved.contains("ProbDisplay=0\r\n")) << saved.toStdString();
    EXPECT_TRUE(saved.contains("[Kelvane]\r\nNoGuess=1\r\n")) << saved.toStdString();
    Window.reset();
    OpenWithEngine();
    EXPECT_TRUE(Entry()->isEnabled());
    EXPECT_TRUE(Entry()->isChecked());
    EXPECT_EQ(Window->NoGuess, 1);
}

TEST_F(NoGuessWindow, AWholeExpertGame_IsWonByDeductionAlone_AndSetsABestTime)
{
    OpenWithEngine();
    Window->MaxScale = 0;
    ChooseFromLevelMenu(Window->PopupMenu1->actions()[2]); // "Expert"
    ASSERT_EQ(Game().Level, 2);
    ChooseFromLevelMenu(Entry());
    ASSERT_EQ(Window->NoGuess, 1);
    ASSERT_EQ(Game().FairPlay, 1);
    Game().TimedGame = 1;
    Window->Rng.Seed(2026);

    Click(Qt::LeftButton, 12, 10);
    ASSERT_EQ(Game().Active, 1);
    EXPECT_TRUE(Window->sbStatus->text().isEmpty());
    // The game starts with an opening, and the corners are free.
    EXPECT_EQ(Game().Number[KELVANE_SECTOR_INDEX(12, 10)], 0);
    for (int32_t c = 11; c <= 13; ++c)
        for (int32_t r = 9; r <= 11; ++r)
            EXPECT_EQ(State(c, r), SECTOR_OPEN) << c << "," << r;
    for (auto [c, r] : {std::pair{0, 0}, {23, 0}, {0, 19}, {23, 19}})
        EXPECT_FALSE(Mined(c, r)) << c << "," << r;

    Now += 61234;
    Window->TimerCtlTimer();
    // The best-times dialog opens modally after the record; close it as the player would.
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [this] {
        if (Window->frmBest->isVisible()) Window->frmBest->accept();
    });
    closer.start();
    const int rounds = PlayByDeduction();
    EXPECT_GT(rounds, 1);
    EXPECT_EQ(Game().SafeLeft, 0);
    EXPECT_EQ(Window->sbStatus->text(), LocaleTime("Finished in 61.2 seconds"));
    ASSERT_EQ(Prompts.size(), 1); // no-guess games count for best times like any other
    EXPECT_FLOAT_EQ(Window->Best.BestTime[2], 61.234f);
    RecordProperty("rounds", rounds);
}

TEST_F(NoGuessWindow, EveryLevel_IsClearedByDeduction_FromAPressAnywhere)
{
    OpenWithEngine();
    Window->MaxScale = 0;
    ChooseFromLevelMenu(Entry());
    Game().TimedGame = 0;
    Game().FairPlay = 0;
    const std::pair<int32_t, int32_t> presses[] = {{0, 0}, {15, 7}, {23, 19}, {31, 12}};
    for (int32_t level = 0; level < 4; ++level) {
        Window->ChooseLevel(level);
        Window->Rng.Seed(static_cast<uint32_t>(77 + level));
        const auto [c, r] = presses[level];
        Click(Qt::LeftButton, c, r);
        EXPECT_EQ(State(c, r), SECTOR_OPEN);
        PlayByDeduction();
        EXPECT_EQ(Window->sbStatus->text(), "Finished!") << LevelTable[level].Name;
    }
}

TEST_F(NoGuessWindow, NoBoardWithinTheBudget_GivesAnOrdinaryBoard_AndSaysSo)
{
    OpenWithEngine(0.0);
    ChooseFromLevelMenu(Entry());
    Window->ChooseLevel(0);
    Click(Qt::LeftButton, 4, 4);
    ASSERT_EQ(Game().Active, 1);
    EXPECT_EQ(Window->sbStatus->text(), "This board may need a guess");
    int32_t mines = 0;
    for (int32_t c = 0; c < 10; ++c)
        for (int32_t r = 0; r < 10; ++r)
            mines += Mined(c, r);
    EXPECT_EQ(mines, 10);
    EXPECT_FALSE(Mined(4, 4));
    // The engine is back on the game: a middle press computes this board's probabilities.
    AskTheEngine();
    EXPECT_EQ(Window->Stats->lblStatus->text(), "Finished");
    int32_t c, r;
    ASSERT_TRUE(Find(SECTOR_CLOSED, false, c, r));
    EXPECT_GE(Game().Prob[KELVANE_SECTOR_INDEX(c, r)], 0.0f);
    Window->NewGame();
    EXPECT_TRUE(Window->sbStatus->text().isEmpty());
}

TEST_F(NoGuessWindow, EscDuringTheSearch_GivesUpAtOnce_WithAnOrdinaryBoard_AndSaysSo)
{
    OpenWithEngine();
    ChooseFromLevelMenu(Entry());
    Window->ChooseLevel(0);
    Window->Rng.Seed(5);
    // The search handles the window's input before its first engine run: the key comes then.
    bool busyCursor = false;
    QTimer::singleShot(0, Window.get(), [this, &busyCursor] {
        const QCursor *cursor = QApplication::overrideCursor();
        busyCursor = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
        QTest::keyClick(Window.get(), Qt::Key_Escape);
    });
    Click(Qt::LeftButton, 4, 4);
    EXPECT_TRUE(busyCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(Game().Active, 1);
    EXPECT_EQ(Game().EngineBusy, 0);
    EXPECT_EQ(Window->sbStatus->text(), "Stopped: this board may need a guess");
    int32_t mines = 0;
    for (int32_t c = 0; c < 10; ++c)
        for (int32_t r = 0; r < 10; ++r)
            mines += Mined(c, r);
    EXPECT_EQ(mines, 10);
    EXPECT_EQ(State(4, 4), SECTOR_OPEN);
    // The next first press searches again, and finds.
    Window->NewGame();
    Click(Qt::LeftButton, 4, 4);
    EXPECT_TRUE(Window->sbStatus->text().isEmpty());
    EXPECT_EQ(Game().Number[KELVANE_SECTOR_INDEX(4, 4)], 0);
}

} // namespace
