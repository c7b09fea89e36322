#include "best_dialog.h"
#include "locale_time.h"

#include <QAccessible>
#include <QLabel>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace
{

const QRgb Cream = qRgb(255, 251, 240);
const QRgb Backdrop = qRgb(90, 160, 200);

class BestDialog : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        QTestPrivate::qtestMouseButtons = Qt::NoButton;
        ASSERT_TRUE(art.isValid());
        QImage background(312, 156, QImage::Format_RGB32);
        background.fill(Backdrop);
        ASSERT_TRUE(background.save(art.filePath(QStringLiteral("BESTBKGND")), "PNG"));
        mainWindow.setGeometry(100, 60, 1000, 700);
    }

    QString Prefix() const { return art.path() + QLatin1Char('/'); }

    static QString Text(const QDialog &dialog, const QString &label)
    {
        const auto *found = dialog.findChild<QLabel *>(label);
        return found == nullptr ? QStringLiteral("<missing %1>").arg(label) : found->text();
    }

    static void ShowAndWait(QDialog &dialog)
    {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    static void ClickAt(QDialog &dialog, QPoint pos)
    {
        QTest::mouseClick(dialog.windowHandle(), Qt::LeftButton, {}, pos);
    }

    QTemporaryDir art;
    QWidget mainWindow;
    BestTimes table;
};

TEST_F(BestDialog, Show_FillsTheRowsFromTheTable)
{
    table.Record(0, QStringLiteral("Ann"), 7.06f);
    table.Record(1, QStringLiteral("Bob"), 40.25f);
    table.Record(3, QStringLiteral("Cy"), 12.345f);
    TfrmBest dialog(table, &mainWindow, nullptr, Prefix());
    ShowAndWait(dialog);

    const char *times[4] = {"7.1 seconds", "40.3 seconds", "999.9 seconds", "12.3 seconds"};
    const char *names[4] = {"Ann", "Bob", "Anonymous", "Cy"};
    const char *levels[4] = {"Beginner", "Intermediate", "Expert", "Ultra"};
    for (int level = 0; level < 4; ++level) {
        const QString row = QString::number(level);
        EXPECT_EQ(Text(dialog, QStringLiteral("lblMode") + row),
                  QString::fromLatin1(levels[level]));
        EXPECT_EQ(Text(dialog, QStringLiteral("lblTime") + row), LocaleTime(times[level]));
        EXPECT_EQ(Text(dialog, QStringLiteral("lblName") + row), QString::fromLatin1(names[level]));
    }
    EXPECT_EQ(Text(dialog, QStringLiteral("lblMode")), QStringLiteral("Level"));
    EXPECT_EQ(Text(dialog, QStringLiteral("lblTime")), QStringLiteral("Time"));
    EXPECT_EQ(Text(dialog, QStringLiteral("lblName")), QStringLiteral("Name"));
}

TEST_F(BestDialog, Show_AfterANewRecordShowsIt)
{
    TfrmBest dialog(table, &mainWindow, nullptr, Prefix());
    ShowAndWait(dialog);
    dialog.hide();
    table.Record(2, QStringLiteral("A twenty char name!"), 88.25f);
    ShowAndWait(dialog);
    EXPECT_EQ(Text(dialog, QStringLiteral("lblTime2")), LocaleTime("88.3 seconds"));
    EXPECT_EQ(Text(dialog, QStringLiteral("lblName2")), QStringLiteral("A twenty char na"));
}

TEST_F(BestDialog, ResetScores_ClearsEveryRowAtOnceAndStaysOpen)
{
    for (int level = 0; level < 4; ++level)
        table.Record(level, QStringLiteral("Player"), 20.0f + level);
    TfrmBest dialog(table, &mainWindow, nullptr, Prefix());
    ShowAndWait(dialog);
    ClickAt(dialog, QPoint(4 + 48, 128 + 12)); // the middle of "Reset Scores"
    EXPECT_TRUE(dialog.isVisible());
    for (int level = 0; level < 4; ++level) {
        const QString row = QString::number(level);
        EXPECT_EQ(table.BestTime[level], EmptyRecordTime);
        EXPECT_EQ(table.BestName[level], QStringLiteral("Anonymous"));
        EXPECT_EQ(Text(dialog, QStringLiteral("lblTime") + row), LocaleTime("999.9 seconds"));
        EXPECT_EQ(Text(dialog, QStringLiteral("lblName") + row), QStringLiteral("Anonymous"));
    }
}

TEST_F(BestDialog, ResetScores_IgnoresTheRightButton)
{
    table.Record(1, QStringLiteral("Bob"), 40.25f);
    TfrmBest dialog(table, &mainWindow, nullptr, Prefix());
    ShowAndWait(dialog);
    QTest::mouseClick(dialog.windowHandle(), Qt::RightButton, {}, QPoint(52, 140));
    EXPECT_EQ(table.BestName[1], QStringLiteral("Bob"));
}

TEST_F(BestDialog, Escape_ClosesLikeOK)
{
    TfrmBest dialog(table, &mainWindow, nullptr, Prefix());
    QTimer::singleShot(0, &dialog, [&dialog] {
        QTest::keyClick(&dialog, Qt::Key_A);
        EXPECT_TRUE(dialog.isVisible());
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(BestDialog, Keys_FrameTheButtons_SpacePressesOne_ReturnIsOK_AndTheyReadAsButtons)
{
    InstallDialogAccessibility();
    table.Record(1, QStringLiteral("Bob"), 40.25f);
    TfrmBest dialog(table, &mainWindow, nullptr, Prefix());
    QAccessibleInterface *reading = QAccessible::queryAccessibleInterface(&dialog);
    ASSERT_NE(reading, nullptr);
    QTimer::singleShot(0, &dialog, [&] {
        ASSERT_GE(reading->childCount(), 2);
        const char *const buttons[2] = {"Reset Scores", "OK"};
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(reading->child(i)->role(), QAccessible::Button);
            EXPECT_EQ(reading->child(i)->text(QAccessible::Name), buttons[i]);
        }
        bool nameRead = false; // the rows are labels, read as they show
        for (int i = 2; i < reading->childCount(); ++i)
            nameRead |= reading->child(i)->text(QAccessible::Name) == "Bob";
        EXPECT_TRUE(nameRead);

        const QImage untouched = dialog.grab().toImage();
        QTest::keyClick(&dialog, Qt::Key_Space); // nothing framed yet
        EXPECT_EQ(table.BestName[1], QStringLiteral("Bob"));
        QTest::keyClick(&dialog, Qt::Key_Tab);
        EXPECT_EQ(dialog.FocusedControl(), "Reset Scores");
        EXPECT_NE(dialog.grab().toImage(), untouched);
        QTest::keyClick(&dialog, Qt::Key_Space);
        EXPECT_EQ(table.BestName[1], QStringLiteral("Anonymous"));
        EXPECT_TRUE(dialog.isVisible());
        QTest::keyClick(&dialog, Qt::Key_Tab);
        EXPECT_EQ(dialog.FocusedControl(), "OK");
        QTest::keyClick(&dialog, Qt::Key_Return);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

TEST_F(BestDialog, OK_ClosesWithTheResultOK)
{
    TfrmBest dialog(table, &mainWindow, nullptr, Prefix());
    QTimer::singleShot(0, &dialog, [&dialog] { ClickAt(dialog, QPoint(212 + 48, 128 + 12)); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

TEST_F(BestDialog, Show_PlacesTheDialogByTheHalvingRule)
{
    mainWindow.setGeometry(100, 50, 1000, 700);
    TfrmBest dialog(table, &mainWindow, nullptr, Prefix());
    ShowAndWait(dialog);
    const QRect frame = dialog.frameGeometry();
    EXPECT_EQ(frame.left(), (100 + 1000 - frame.width()) >> 1);
    EXPECT_EQ(frame.top(), (50 + 700 - frame.height()) >> 1);
    EXPECT_EQ(dialog.geometry().size(), QSize(312, 156));

    // Moved meanwhile, placed again at the next showing.
    dialog.hide();
    mainWindow.setGeometry(0, 0, 964, 660);
    ShowAndWait(dialog);
    EXPECT_EQ(dialog.frameGeometry().left(), (964 - dialog.frameGeometry().width()) >> 1);
}

TEST_F(BestDialog, Paint_ShowsTheBackgroundPictureUnderTheLabels)
{
    TfrmBest dialog(table, &mainWindow, nullptr, Prefix());
    ShowAndWait(dialog);
    const QImage shot = dialog.grab().toImage();
    EXPECT_EQ(shot.pixel(150, 120), Backdrop);        // between the rows and the buttons
    EXPECT_EQ(shot.pixel(170, 40), Backdrop);         // between two columns
    EXPECT_EQ(shot.pixel(212, 128), qRgb(0, 0, 128)); // OK's frame
}

TEST_F(BestDialog, MissingBackground_LeavesAPlainCreamDialogThatWorks)
{
    QTemporaryDir empty;
    TfrmBest dialog(table, &mainWindow, nullptr, empty.path() + QLatin1Char('/'));
    ShowAndWait(dialog);
    const QImage shot = dialog.grab().toImage();
    EXPECT_EQ(shot.pixel(150, 120), Cream);
    EXPECT_EQ(shot.pixel(311, 155), Cream);
    table.Record(0, QStringLiteral("Ann"), 9.0f);
    ClickAt(dialog, QPoint(52, 140));
    EXPECT_EQ(table.BestName[0], QStringLiteral("Anonymous"));
}

TEST_F(BestDialog, Names_AreShownAsPlainText)
{
    table.Record(0, QStringLiteral("<b>Bold</b>"), 9.0f);
    TfrmBest dialog(table, &mainWindow, nullptr, Prefix());
    ShowAndWait(dialog);
    const auto *name = dialog.findChild<QLabel *>(QStringLiteral("lblName0"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->textFormat(), Qt::PlainText);
}

TEST_F(BestDialog, Labels_SitAtTheirPlacesInNavy)
{
    TfrmBest dialog(table, &mainWindow, nullptr, Prefix());
    const struct {
        const char *name;
        QRect place;
        bool bold;
    } expected[] = {
        {"lblMode", {8, 8, 65, 13}, true},     {"lblTime", {88, 8, 81, 13}, true},
        {"lblName", {184, 8, 121, 13}, true},  {"lblMode0", {8, 32, 65, 13}, false},
        {"lblTime1", {88, 56, 81, 13}, false}, {"lblName3", {184, 104, 121, 13}, false}};
    for (const auto &e : expected) {
        const auto *label = dialog.findChild<QLabel *>(QString::fromLatin1(e.name));
        ASSERT_NE(label, nullptr) << e.name;
        EXPECT_EQ(label->geometry(), e.place) << e.name;
        EXPECT_EQ(label->font().bold(), e.bold) << e.name;
        EXPECT_EQ(label->font().pixelSize(), 11) << e.name;
        EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(0, 0, 128)) << e.name;
    }
    for (const auto &[name, place] : {std::pair{"imgReset", QRect(4, 128, 97, 25)},
                                      std::pair{"imgOK", QRect(212, 128, 97, 25)}}) {
        const auto *image = dialog.findChild<QWidget *>(QString::fromLatin1(name));
        ASSERT_NE(image, nullptr) << name;
        EXPECT_EQ(image->geometry(), place) << name;
    }
}

} // namespace

namespace
{

TEST_F(BestDialog, Labels_FitTheLongestLevelNameAndTimeInTheirWidths)
{
    TfrmBest dialog(table, &mainWindow, nullptr, Prefix());
    ShowAndWait(dialog);
    for (const char *name : {"lblMode1", "lblTime0", "lblName", "lblMode"}) {
        const auto *label = dialog.findChild<QLabel *>(QString::fromLatin1(name));
        ASSERT_NE(label, nullptr) << name;
        const QFontMetrics metrics(label->font());
        EXPECT_LE(metrics.horizontalAdvance(label->text()), label->width()) << name;
        EXPECT_LE(metrics.height(), label->height()) << name;
    }
}

TEST_F(BestDialog, DefaultPrefix_DrawsTheProgramsOwnBackground)
{
    const QImage background(QStringLiteral(":/BESTBKGND"));
    ASSERT_EQ(background.size(), QSize(312, 156));
    TfrmBest dialog(table, &mainWindow);
    ShowAndWait(dialog);
    const QImage shot = dialog.grab().toImage();
    EXPECT_EQ(shot.pixel(150, 120), background.pixel(150, 120));
    EXPECT_EQ(shot.pixel(170, 40), background.pixel(170, 40));
}

} // namespace
