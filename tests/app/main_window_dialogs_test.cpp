#include "main_window_fixture.h"

#include <QFile>
#include <QKeyEvent>

#include <cstring>

namespace
{

// Answers the next modal dialog as soon as it is open.
void WhenModalOpens(std::function<void(QWidget *)> answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        answer(dialog);
    });
}

QByteArray FileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

class Dialogs : public MainWindowTest
{
  protected:
    // A game under way on Beginner, with the settings file written once.
    void StartPlaying()
    {
        OpenOnLevel(0);
        Click(Qt::LeftButton, 4, 4);
        ASSERT_EQ(Game().Active, 1);
        Window->close(); // writes the file; the window object lives on
        Window->show();
        Window->ChooseLevel(0);
        Window->Rng.Seed(1);
        Click(Qt::LeftButton, 4, 4);
    }
};

TEST_F(Dialogs, SettingsCancelled_ByEscCancelOrCloseBox_ChangesNothing)
{
    StartPlaying();
    const QString iniPath = Folder.filePath("kelvane.ini");
    const std::function<void(QWidget *)> ways[] = {
        [](QWidget *dialog) { QTest::keyClick(dialog, Qt::Key_Escape); },
        [](QWidget *dialog) {
            QWidget *cancel = dialog->findChild<QWidget *>("imgCancel");
            ASSERT_NE(cancel, nullptr);
            QTest::mouseClick(cancel, Qt::LeftButton, {}, QPoint(40, 12));
        },
        [](QWidget *dialog) { dialog->close(); },
    };
    for (const auto &way : ways) {
        // Change something in the dialog first, so that a leak of the working copy shows.
        WhenModalOpens([&way](QWidget *dialog) {
            QWidget *expert = dialog->findChild<QWidget *>("lblExpert");
            ASSERT_NE(expert, nullptr);
            QTest::mouseClick(expert, Qt::LeftButton, {}, QPoint(3, 3));
            way(dialog);
        });
        TGameState before;
        std::memcpy(&before, &Game(), sizeof before);
        const QByteArray file = FileBytes(iniPath);
        const int32_t scale = Window->MaxScale;
        Window->lblSettingsClick();
        EXPECT_EQ(std::memcmp(&before, &Game(), sizeof before), 0);
        EXPECT_EQ(Window->MaxScale, scale);
        EXPECT_EQ(FileBytes(iniPath), file);
        EXPECT_EQ(Game().Active, 1); // the running game goes on
    }
}

TEST_F(Dialogs, SettingsOk_WithoutChanges_StillSavesAndStartsANewGame)
{
    StartPlaying();
    const QString iniPath = Folder.filePath("kelvane.ini");
    QFile::remove(iniPath);
    WhenModalOpens([](QWidget *dialog) {
        QWidget *ok = dialog->findChild<QWidget *>("imgOK");
        ASSERT_NE(ok, nullptr);
        QTest::mouseClick(ok, Qt::LeftButton, {}, QPoint(40, 12));
    });
    Window->lblSettingsClick();
    EXPECT_TRUE(QFile::exists(iniPath));
    EXPECT_EQ(Game().Active, 0);
    EXPECT_EQ(Game().Live, 1);
    EXPECT_EQ(Game().Level, 0);
    EXPECT_EQ(Window->MaxScale, 0);
}

TEST_F(Dialogs, SettingsOk_CommitsTheChoice_LaysOutAndSaves)
{
    StartPlaying();
    WhenModalOpens([](QWidget *dialog) {
        QTest::mouseClick(dialog->findChild<QWidget *>("lblUltra"), Qt::LeftButton, {},
                          QPoint(3, 3));
        QTest::mouseClick(dialog->findChild<QWidget *>("imgOK"), Qt::LeftButton, {},
                          QPoint(40, 12));
    });
    Window->lblSettingsClick();
    EXPECT_EQ(Game().Level, 3);
    EXPECT_EQ(Game().SizeX, 32);
    EXPECT_EQ(Game().MaxX, 31);
    EXPECT_EQ(Game().Mines, 180);
    EXPECT_EQ(Window->Board.Geometry.CellSize, 24);
    EXPECT_TRUE(FileBytes(Folder.filePath("kelvane.ini")).contains("Level=3\r\n"));
}

TEST_F(Dialogs, ARecord_SurvivesARestart_RoundedToOneDecimal)
{
    OpenOnLevel(1);
    Game().TimedGame = 1;
    NameToEnter = "Winner";
    Click(Qt::LeftButton, 8, 8);
    Now += 12260;
    Window->TimerCtlTimer();
    QTimer::singleShot(0, [this] { Window->frmBest->accept(); });
    OpenAllSafe();
    ASSERT_EQ(Prompts.size(), 1);
    ASSERT_TRUE(Window->close());
    Window.reset();

    Open(); // a new run on the same settings file
    EXPECT_FLOAT_EQ(Window->Best.BestTime[1], 12.3f);
    EXPECT_EQ(Window->Best.BestName[1], "Winner");
    WhenModalOpens([](QWidget *dialog) {
        auto *time = dialog->findChild<QLabel *>("lblTime1");
        auto *name = dialog->findChild<QLabel *>("lblName1");
        ASSERT_NE(time, nullptr);
        EXPECT_EQ(time->text(), LocaleTime("12.3 seconds"));
        EXPECT_EQ(name->text(), "Winner");
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    Window->lblBestTimesClick();
}

} // namespace
