#include "main_window_fixture.h"

#include "help_window.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QScrollBar>
#include <QTextBrowser>
#include <QUrl>

namespace
{

TEST(StartUp, ScreenCheck_RefusesAnythingBelow1024x768)
{
    EXPECT_TRUE(ScreenFits(QSize(1024, 768)));
    EXPECT_FALSE(ScreenFits(QSize(1024, 767)));
    EXPECT_FALSE(ScreenFits(QSize(1023, 768)));
    EXPECT_TRUE(ScreenFits(QSize(1920, 1080)));
}

TEST_F(MainWindowTest, Window_HasItsFixedClientAreaAndCaption)
{
    Open();
    EXPECT_EQ(Window->size(), QSize(964, 660));
    EXPECT_EQ(Window->minimumSize(), Window->maximumSize());
    EXPECT_TRUE(Window->windowTitle().startsWith("Kelvane "));
    EXPECT_TRUE(Window->windowTitle().endsWith(" Edition"));
    EXPECT_EQ(Window->pbImage->geometry(), QRect(4, 32, 769, 601));
    EXPECT_EQ(Window->pbxLeft->geometry(), QRect(96, 4, 97, 25));
    EXPECT_EQ(Window->pbxTime->geometry(), QRect(676, 4, 97, 25));
    EXPECT_EQ(Window->pbxBar->geometry(), QRect(784, 476, 169, 17));
    EXPECT_EQ(Window->imgNew->geometry(), QRect(376, 4, 25, 25));
    EXPECT_EQ(Window->lblNewGame->pos(), QPoint(784, 512));
    EXPECT_EQ(Window->lblHelp->pos(), QPoint(784, 608));
    EXPECT_EQ(Window->Stats->lblRecalc->geometry().right() + 1, 953);
}

TEST_F(MainWindowTest, WithoutTheEngine_SaysSo_AndPlaysWithProbabilitiesOff)
{
    // The settings ask for probabilities (the default), but there is no engine.
    Open(Folder.filePath("missing.so"));
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_EQ(Errors[0], "Error loading Ordo.dll (file not found).\n"
                         "The Probability Engine will be unavailable.");
    EXPECT_EQ(Game().ProbDisplay, 0);
    EXPECT_FALSE(Window->EngineLoaded());
    EXPECT_EQ(Game().Live, 1);
}

TEST_F(MainWindowTest, FirstShowing_ResetsThePanelAndStartsAGame)
{
    Open();
    EXPECT_EQ(Window->Stats->lblStatus->text(), "Idle");
    EXPECT_EQ(Window->Stats->lblRecalc->text(), "True");
    EXPECT_EQ(Window->Stats->lblProb->text(), "0.000");
    EXPECT_TRUE(FaceIs(Window->bmpFace0));
    EXPECT_EQ(Game().Level, 1); // no settings file: Intermediate
    EXPECT_EQ(Window->Board.Geometry.CellSize, 37);
}

TEST_F(MainWindowTest, Closing_WritesTheSettingsFile)
{
    Open();
    Window->ChooseLevel(2);
    Window->close();
    QFile file(Folder.filePath("kelvane.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromLatin1(file.readAll());
    EXPECT_TRUE(text.contains("Level=2\r\n"));
    EXPECT_TRUE(text.contains("SizeX=24\r\n"));
}

TEST_F(MainWindowTest, SettingsFile_IsInForceBeforeTheFirstShowing)
{
    QFile file(Folder.filePath("kelvane.ini"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[Window]\r\nTop=40\r\nLeft=50\r\n[Field]\r\nLevel=3\r\n[Game]\r\nMaxScale=0\r\n");
    file.close();
    Window = std::make_unique<TfrmMain>(Options());
    EXPECT_EQ(Window->pos(), QPoint(50, 40));
    EXPECT_EQ(Game().Level, 3);
    EXPECT_EQ(Game().SizeX, 32);
    EXPECT_EQ(Window->MaxScale, 0);
}

// Receives the addresses the window asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT
  public:
    QList<QUrl> Opened;
  public slots:
    void Open(const QUrl &url) { Opened << url; }
};

TEST_F(MainWindowTest, HelpLabel_OpensTheHelpFolderItWasGiven_WhateverTheCurrentFolder)
{
    MainWindowOptions options = Options();
    options.HelpFolder = Folder.filePath("share/kelvane/Help");
    Window = std::make_unique<TfrmMain>(options);
    Window->show();
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "Open");
    const QString before = QDir::currentPath();
    QDir::setCurrent(QDir::rootPath());
    QTest::mouseClick(Window->lblHelp, Qt::LeftButton, {}, QPoint(5, 5));
    QDir::setCurrent(before);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.Opened.size(), 1);
    EXPECT_EQ(catcher.Opened[0], QUrl::fromLocalFile(options.HelpFolder + "/index.htm"));
}

// Without anything on the desktop to open them: the help in the window's own browser, where
// an inner link moves within the document, and a web page's address shown to copy.
TEST_F(MainWindowTest, HelpWithoutADesktopOpener_OpensItsOwnWindow_AndWebLinksShowTheAddress)
{
    MainWindowOptions options = Options();
    options.HelpFolder = KELVANE_HELP_SOURCE_DIR;
    QList<QUrl> asked;
    options.OpenUrl = [&asked](const QUrl &url) {
        asked << url;
        return false;
    };
    Window = std::make_unique<TfrmMain>(options);
    Window->show();
    QTest::keyClick(Window.get(), Qt::Key_F1);
    ASSERT_EQ(asked.size(), 1); // the desktop was asked first
    ASSERT_NE(Window->frmHelp, nullptr);
    EXPECT_TRUE(Window->frmHelp->isVisible());
    EXPECT_EQ(Window->frmHelp->windowTitle(), "Kelvane Help");
    QTextBrowser *browser = Window->frmHelp->Browser;
    EXPECT_FALSE(browser->document()
                     ->resource(QTextDocument::ImageResource, QUrl("images/main-window.png"))
                     .isNull());
    // The first link of the contents, "Getting started", by the keyboard.
    QTest::keyClick(browser, Qt::Key_Tab);
    QTest::keyClick(browser, Qt::Key_Return);
    EXPECT_EQ(browser->source().fragment(), "start");
    EXPECT_GT(browser->verticalScrollBar()->value(), 0);

    QTest::mouseClick(Window->lblHomePage, Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_EQ(asked.size(), 2);
    QStringList shown;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(top); box != nullptr && box->isVisible())
            shown << box->text();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(asked[1].toString())) << shown[0].toStdString();
}

TEST_F(MainWindowTest, InstalledSettings_MakeTheirFolderOnTheFirstSave)
{
    MainWindowOptions options = Options();
    options.SettingsFile = Folder.filePath("home/.config/kelvane/kelvane.ini");
    options.MakeSettingsFolder = true;
    Window = std::make_unique<TfrmMain>(options);
    Window->show();
    Errors.clear();
    EXPECT_TRUE(Window->close());
    EXPECT_TRUE(Errors.isEmpty()) << Errors.join("\n").toStdString();
    EXPECT_TRUE(QFile::exists(options.SettingsFile));
}

TEST_F(MainWindowTest, UnwritableSettingsFile_IsReported_AndTheWindowStillCloses)
{
    MainWindowOptions options = Options();
    // A folder cannot be replaced by a file: the save must fail and say so.
    options.SettingsFile = Folder.path();
    Window = std::make_unique<TfrmMain>(options);
    Window->show();
    Errors.clear();
    EXPECT_TRUE(Window->close());
    ASSERT_EQ(Errors.size(), 1);
    EXPECT_TRUE(Errors[0].contains(Folder.path()));
    EXPECT_FALSE(Window->isVisible());
}

} // namespace

#include "main_window_lifecycle_test.moc"
