#include "main_window_fixture.h"

#include "level_table.h"

namespace
{

TEST_F(MainWindowTest, FirstPress_LaysTheMinesAroundIt_AndOpensIt)
{
    OpenOnLevel(0);
    Click(Qt::RightButton, 4, 4); // before the first left press: nothing
    EXPECT_EQ(Game().Active, 0);
    EXPECT_EQ(State(4, 4), SECTOR_CLOSED);

    Click(Qt::LeftButton, 4, 4);
    EXPECT_EQ(Game().Active, 1);
    EXPECT_FALSE(Mined(4, 4));
    EXPECT_EQ(State(4, 4), SECTOR_OPEN);
    EXPECT_EQ(Game().RecalcNeeded, 1);
}

TEST_F(MainWindowTest, PressesOutsideTheField_DoNothing)
{
    OpenOnLevel(0); // Beginner at 24 pixels: the field spans 264..504 x 180..420
    const FieldGeometry &g = Window->Board.Geometry;
    const int right = g.FieldLeft + 10 * g.CellSize; // the closing grid line
    for (QPoint p : {QPoint(g.FieldLeft - 1, 200), QPoint(300, g.FieldTop - 1), QPoint(right, 200),
                     QPoint(300, g.FieldTop + 10 * g.CellSize)}) {
        QTest::mouseClick(Window->pbImage, Qt::LeftButton, {}, p);
        EXPECT_EQ(Game().Active, 0) << p.x() << "," << p.y();
    }
    QTest::mouseClick(Window->pbImage, Qt::LeftButton, {}, QPoint(g.FieldLeft, g.FieldTop));
    EXPECT_EQ(Game().Active, 1); // the field's own top-left grid corner belongs to (0, 0)
}

TEST_F(MainWindowTest, RightPress_TogglesAMarkerAndTheCounter)
{
    OpenOnLevel(0);
    Click(Qt::LeftButton, 0, 0);
    int32_t c, r;
    ASSERT_TRUE(Find(SECTOR_CLOSED, true, c, r));
    Click(Qt::RightButton, c, r);
    EXPECT_EQ(State(c, r), SECTOR_MARKED);
    EXPECT_EQ(Game().MinesLeft, 9);
    Click(Qt::RightButton, c, r);
    EXPECT_EQ(State(c, r), SECTOR_CLOSED);
    EXPECT_EQ(Game().MinesLeft, 10);
}

TEST_F(MainWindowTest, MoreMarkersThanMines_LeaveTheCounterAnEmptyFrame)
{
    OpenOnLevel(0);
    Click(Qt::LeftButton, 0, 0);
    const QImage emptyCounter = [&] {
        QImage image(97, 25, QImage::Format_RGB32);
        DrawCounter(image, Window->bmpMainBackground, QPoint(96, 4), QString());
        return image;
    }();
    int placed = 0;
    for (int32_t c = 0; c < 10 && placed < 11; ++c)
        for (int32_t r = 0; r < 10 && placed < 11; ++r)
            if (State(c, r) == SECTOR_CLOSED) {
                Click(Qt::RightButton, c, r);
                ++placed;
            }
    EXPECT_EQ(Game().MinesLeft, -1);
    EXPECT_EQ(Window->bmpLeft, emptyCounter);
}

TEST_F(MainWindowTest, EveryChordPress_OpensTheNeighboursOfASatisfiedNumber)
{
    const Qt::MouseButton first[] = {Qt::MiddleButton, Qt::LeftButton, Qt::RightButton};
    for (Qt::MouseButton button : first) {
        OpenOnLevel(2, 11); // Expert: plenty of numbers
        Click(Qt::LeftButton, 12, 10);
        // A number with exactly one mine around it, and that mine marked.
        int32_t c, r, mc, mr;
        ASSERT_TRUE(FindNumberOne(c, r, mc, mr));
        Click(Qt::LeftButton, c, r);
        Click(Qt::RightButton, mc, mr);
        if (button == Qt::MiddleButton) {
            Click(Qt::MiddleButton, c, r);
        } else {
            // Hold one button and press the other on the open sector.
            const Qt::MouseButton second =
                button == Qt::LeftButton ? Qt::RightButton : Qt::LeftButton;
            Press(button, c, r);
            Press(second, c, r);
            Release(second, c, r);
            Release(button, c, r);
        }
        for (int32_t i = c - 1; i <= c + 1; ++i)
            for (int32_t j = r - 1; j <= r + 1; ++j)
                if (i != mc || j != mr) {
                    EXPECT_EQ(State(i, j), SECTOR_OPEN) << "button " << button;
                }
        EXPECT_EQ(State(mc, mr), SECTOR_MARKED);
    }
}

TEST_F(MainWindowTest, RightPressWithLeftHeld_OnAClosedSector_PlacesAMarker)
{
    OpenOnLevel(0);
    Click(Qt::LeftButton, 0, 0);
    int32_t c, r, oc, orow;
    ASSERT_TRUE(Find(SECTOR_CLOSED, false, c, r));
    ASSERT_TRUE(Find(SECTOR_OPEN, false, oc, orow));
    Press(Qt::LeftButton, oc, orow); // held on an open sector: nothing
    Press(Qt::RightButton, c, r);
    EXPECT_EQ(State(c, r), SECTOR_MARKED);
    Release(Qt::RightButton, c, r);
    Release(Qt::LeftButton, c, r);
}

TEST_F(MainWindowTest, FailedChord_ShowsThePressedFace_UntilReleaseOrDraggingOffTheBoard)
{
    OpenOnLevel(2, 11);
    Click(Qt::LeftButton, 12, 10);
    int32_t c, r;
    ASSERT_TRUE(Find(SECTOR_OPEN, false, c, r, true));
    const QImage before = Window->Board.bmpField;

    Press(Qt::MiddleButton, c, r); // no markers: the preview
    EXPECT_EQ(Window->ChordPreview, 1);
    EXPECT_TRUE(FaceIs(Window->bmpFace1));
    EXPECT_NE(Window->Board.bmpField, before);
    Release(Qt::MiddleButton, c, r);
    EXPECT_EQ(Window->ChordPreview, 0);
    EXPECT_TRUE(FaceIs(Window->bmpFace0));
    EXPECT_EQ(Window->Board.bmpField, before);

    // Dragged off the board with the button held, through the window as a real pointer
    // goes: the board keeps the mouse and gets no leave, only the move out of it.
    QWindow *window = Window->windowHandle();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    const QPoint inside = Window->pbImage->mapTo(Window.get(), At(c, r));
    const QPoint offBoard(Window->pbImage->x() + Window->pbImage->width() + 1, inside.y());
    QTest::mousePress(window, Qt::MiddleButton, {}, inside);
    EXPECT_EQ(Window->ChordPreview, 1);
    EXPECT_TRUE(FaceIs(Window->bmpFace1));
    QTest::mouseMove(window, inside + QPoint(3, 3)); // still on the board: held
    EXPECT_EQ(Window->ChordPreview, 1);
    QTest::mouseMove(window, offBoard);
    EXPECT_EQ(Window->ChordPreview, 0);
    EXPECT_TRUE(FaceIs(Window->bmpFace0));
    EXPECT_EQ(Window->Board.bmpField, before);
    EXPECT_EQ(Window->pbImage->Shown(), before);
    QTest::mouseRelease(window, Qt::MiddleButton, {}, offBoard);
    EXPECT_EQ(Window->ChordPreview, 0);
    EXPECT_EQ(Window->Board.bmpField, before);
}

TEST_F(MainWindowTest, Loss_ShowsGameOverAndTheLostFace_AndOnlyADoubleClickStartsAgain)
{
    OpenOnLevel(0);
    Click(Qt::LeftButton, 0, 0);
    // A marker on a mine, a marker on a safe sector, and a mine left alone.
    int32_t markedMine[2], wrongMarker[2], plainMine[2];
    ASSERT_TRUE(Find(SECTOR_CLOSED, true, markedMine[0], markedMine[1]));
    Click(Qt::RightButton, markedMine[0], markedMine[1]);
    ASSERT_TRUE(Find(SECTOR_CLOSED, false, wrongMarker[0], wrongMarker[1]));
    Click(Qt::RightButton, wrongMarker[0], wrongMarker[1]);
    ASSERT_TRUE(Find(SECTOR_CLOSED, true, plainMine[0], plainMine[1]));
    const auto sector = [&](const int32_t *at) {
        const FieldGeometry &g = Window->Board.Geometry;
        return Window->Board.bmpField.copy(g.FieldLeft + at[0] * g.CellSize + 1,
                                           g.FieldTop + at[1] * g.CellSize + 1, g.CellSize - 1,
                                           g.CellSize - 1);
    };
    const QImage markedBefore = sector(markedMine), wrongBefore = sector(wrongMarker),
                 plainBefore = sector(plainMine);
    int32_t c = -1, r = -1;
    for (int32_t i = 0; i < Game().SizeX && c < 0; ++i)
        for (int32_t j = 0; j < Game().SizeY && c < 0; ++j)
            if (State(i, j) == SECTOR_CLOSED && Mined(i, j) &&
                (i != plainMine[0] || j != plainMine[1]))
                c = i, r = j;
    ASSERT_GE(c, 0);
    Click(Qt::LeftButton, c, r);
    EXPECT_EQ(Window->sbStatus->text(), "Game Over!");
    // The lost board: a right marker stays as it was, a wrong one is barred, other mines show.
    EXPECT_EQ(sector(markedMine), markedBefore);
    EXPECT_NE(sector(wrongMarker), wrongBefore);
    EXPECT_NE(sector(plainMine), plainBefore);
    EXPECT_TRUE(FaceIs(Window->bmpFace2));
    EXPECT_EQ(Game().Live, 0);
    // The opened mine is red in the board image.
    const QPoint p = At(c, r);
    EXPECT_EQ(Window->Board.bmpField.pixel(p.x() - 8, p.y() - 8), qRgb(255, 0, 0));

    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        Click(button, 5, 5);
        EXPECT_EQ(Game().Live, 0);
    }
    DoubleClick(Qt::RightButton, 5, 5);
    EXPECT_EQ(Game().Live, 0);

    DoubleClick(Qt::LeftButton, 5, 5);
    EXPECT_EQ(Game().Live, 1);
    EXPECT_EQ(Game().Active, 1);
    EXPECT_EQ(State(5, 5), SECTOR_OPEN);
    EXPECT_TRUE(Window->sbStatus->text().isEmpty());
    EXPECT_TRUE(FaceIs(Window->bmpFace0));
}

TEST_F(MainWindowTest, UntimedWin_SaysFinished_AndOffersNoRecord)
{
    OpenOnLevel(0);
    Game().TimedGame = 0;
    Click(Qt::LeftButton, 0, 0);
    OpenAllSafe();
    EXPECT_EQ(Game().Live, 0);
    EXPECT_EQ(Window->sbStatus->text(), "Finished!");
    EXPECT_TRUE(Prompts.isEmpty());
    EXPECT_EQ(Game().MinesLeft, 0);
}

TEST_F(MainWindowTest, TimedWin_FasterThanTheRecord_AsksForTheNameAndRecordsIt)
{
    OpenOnLevel(0);
    Game().TimedGame = 1;
    Window->Best.BestTime[0] = 40.3f;
    Window->Best.BestName[0] = "Holder";
    NameToEnter = "ABCDEFGHIJKLMNOPQRST"; // 20 characters
    Click(Qt::LeftButton, 0, 0);
    Now += 40250;
    Window->TimerCtlTimer();
    // The best-times dialog opens modally after the record; close it as the player would.
    QTimer::singleShot(0, [this] { Window->frmBest->accept(); });
    OpenAllSafe();
    EXPECT_EQ(Window->sbStatus->text(),
              LocaleTime("Finished in 40.3 seconds")); // 40.25 in one decimal
    ASSERT_EQ(Prompts.size(), 1);
    EXPECT_EQ(Prompts[0],
              "You have the fastest time for the Beginner level.\nPlease enter your name");
    EXPECT_FLOAT_EQ(Window->Best.BestTime[0], 40.25f);
    EXPECT_EQ(Window->Best.BestName[0], "ABCDEFGHIJKLMNOP");
}

TEST_F(MainWindowTest, TimedWin_EqualToTheRecord_OrCancelled_KeepsTheRecord)
{
    OpenOnLevel(0);
    Game().TimedGame = 1;
    Window->Best.BestTime[0] = 5.0f;
    Click(Qt::LeftButton, 0, 0);
    Now += 5000;
    Window->TimerCtlTimer();
    OpenAllSafe();
    EXPECT_TRUE(Prompts.isEmpty()); // a tie is no record
    EXPECT_FLOAT_EQ(Window->Best.BestTime[0], 5.0f);

    CancelName = true;
    Window->NewGame();
    Click(Qt::LeftButton, 0, 0);
    Now += 1000;
    Window->TimerCtlTimer();
    OpenAllSafe();
    EXPECT_EQ(Prompts.size(), 1);
    EXPECT_FLOAT_EQ(Window->Best.BestTime[0], 5.0f);
    EXPECT_EQ(Window->Best.BestName[0], "Anonymous");
}

TEST_F(MainWindowTest, CustomFieldWin_IsNeverARecord)
{
    Open();
    Window->MaxScale = 0;
    Game().Level = LevelCustom;
    Game().SizeX = Game().SizeY = 8;
    Game().MaxX = Game().MaxY = 7;
    Game().Mines = 5;
    Game().TimedGame = 1;
    Window->LayoutField();
    Window->NewGame();
    Window->Rng.Seed(1); // a layout whose first opening does not win at once
    Click(Qt::LeftButton, 0, 0);
    ASSERT_EQ(Game().Live, 1);
    Now += 1000;
    Window->TimerCtlTimer();
    OpenAllSafe();
    EXPECT_EQ(Game().Live, 0);
    EXPECT_TRUE(Prompts.isEmpty());
    EXPECT_EQ(Window->sbStatus->text(), LocaleTime("Finished in 1.0 seconds"));
}

TEST_F(MainWindowTest, LevelMenu_ChangesTheFieldAndStartsAGame)
{
    Open();
    Window->ChooseLevel(3);
    EXPECT_EQ(Game().Level, 3);
    EXPECT_EQ(Game().SizeX, 32);
    EXPECT_EQ(Game().SizeY, 25);
    EXPECT_EQ(Game().MaxY, 24);
    EXPECT_EQ(Game().Mines, 180);
    EXPECT_EQ(Window->Board.Geometry.CellSize, 24);
    EXPECT_EQ(Game().Live, 1);
    EXPECT_EQ(Game().Active, 0);
}

TEST_F(MainWindowTest, OptionLabels_ChangeOnlyWhileAGameIsPlayed)
{
    OpenOnLevel(0);
    const int32_t depth = Game().StepDepth;
    QTest::mouseClick(Window->Stats->lblDepth, Qt::LeftButton);
    EXPECT_EQ(Game().StepDepth, depth); // before the first press

    Click(Qt::LeftButton, 0, 0);
    Game().AdvancedMode = 1;
    Game().StepDepth = 30;
    QTest::mouseClick(Window->Stats->lblDepth, Qt::LeftButton);
    EXPECT_EQ(Game().StepDepth, 20);
    EXPECT_EQ(Window->Stats->lblDepth->text(), "20");
    // A whole round: every depth from 20 to 30, then 20 again.
    for (int32_t expected : {21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 20}) {
        QTest::mouseClick(Window->Stats->lblDepth, Qt::LeftButton);
        EXPECT_EQ(Game().StepDepth, expected);
        EXPECT_EQ(Window->Stats->lblDepth->text(), QString::number(expected));
    }

    QTest::mouseClick(Window->Stats->lblMode, Qt::LeftButton);
    EXPECT_EQ(Game().AdvancedMode, 0);
    EXPECT_EQ(Window->Stats->lblMode->text(), "Simple");
    QTest::mouseClick(Window->Stats->lblDepth, Qt::LeftButton);
    EXPECT_EQ(Game().StepDepth, 20); // inert in Simple mode

    Game().CheckingMode = 2;
    QTest::mouseClick(Window->Stats->lblChMode, Qt::LeftButton);
    EXPECT_EQ(Game().CheckingMode, 0);
    EXPECT_EQ(Window->Stats->lblChMode->text(), "Minimal");

    QTest::mouseClick(Window->Stats->lblDupCheck, Qt::LeftButton);
    EXPECT_EQ(Window->Stats->lblDupCheck->text(), Game().DupCheck ? "True" : "False");

    // The recalculation label flips only its flag.
    Game().RecalcNeeded = 1;
    QTest::mouseClick(Window->Stats->lblRecalc, Qt::LeftButton);
    EXPECT_EQ(Game().RecalcNeeded, 0);
    EXPECT_EQ(Window->Stats->lblRecalc->text(), "False");

    int32_t c, r;
    ASSERT_TRUE(Find(SECTOR_CLOSED, true, c, r));
    Click(Qt::LeftButton, c, r); // lost
    const int32_t mode = Game().AdvancedMode;
    QTest::mouseClick(Window->Stats->lblMode, Qt::LeftButton);
    EXPECT_EQ(Game().AdvancedMode, mode);
}

TEST_F(MainWindowTest, HoverLabels_TurnPurple_AndTheLevelLabelTurnsNavyWhenItsMenuOpens)
{
    Open();
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QCoreApplication::sendEvent(Window->lblLevel, &enter);
    EXPECT_EQ(Window->lblLevel->palette().color(QPalette::WindowText), QColor(128, 0, 128));
    EXPECT_TRUE(Window->lblLevel->font().bold());
    Window->lblLevelClick();
    EXPECT_EQ(Window->lblLevel->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    Window->PopupMenu1->close();

    QCoreApplication::sendEvent(Window->Stats->lblMode, &enter);
    EXPECT_EQ(Window->Stats->lblMode->palette().color(QPalette::WindowText), QColor(128, 0, 128));
    EXPECT_TRUE(Window->Stats->lblMode->font().underline());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(Window->Stats->lblMode, &leave);
    EXPECT_FALSE(Window->Stats->lblMode->font().underline());
    EXPECT_EQ(Window->Stats->lblMode->palette().color(QPalette::WindowText), QColor(0, 0, 128));
}

} // namespace

namespace
{

// The rows of the press table that do nothing: the board must stay exactly as it was.
TEST_F(MainWindowTest, PressesThatDoNothing_LeaveTheBoardAlone)
{
    OpenOnLevel(2, 11);
    Game().ProbDisplay = 0;
    Click(Qt::LeftButton, 12, 10);
    int32_t open, openRow, marked, markedRow;
    ASSERT_TRUE(Find(SECTOR_OPEN, false, open, openRow, true));
    ASSERT_TRUE(Find(SECTOR_CLOSED, true, marked, markedRow));
    Click(Qt::RightButton, marked, markedRow);
    ASSERT_EQ(State(marked, markedRow), SECTOR_MARKED);

    struct Row {
        Qt::MouseButton Button;
        int32_t C, R;
        const char *What;
    };
    const Row rows[] = {
        {Qt::LeftButton, open, openRow, "left on an open sector"},
        {Qt::LeftButton, marked, markedRow, "left on a marker"},
        {Qt::RightButton, open, openRow, "right on an open sector"},
        {Qt::MiddleButton, marked, markedRow, "middle on a marker"},
        {Qt::MiddleButton, 0, 0, "middle on a closed sector without probabilities"},
    };
    for (const Row &row : rows) {
        if (row.C == 0 && row.R == 0 && State(0, 0) != SECTOR_CLOSED) continue;
        const QImage board = Window->Board.bmpField;
        const int32_t safeLeft = Game().SafeLeft, minesLeft = Game().MinesLeft;
        Click(row.Button, row.C, row.R);
        EXPECT_EQ(Window->Board.bmpField, board) << row.What;
        EXPECT_EQ(Game().SafeLeft, safeLeft) << row.What;
        EXPECT_EQ(Game().MinesLeft, minesLeft) << row.What;
        EXPECT_EQ(Game().Live, 1) << row.What;
        EXPECT_EQ(Window->Stats->lblStatus->text(), "Idle") << row.What;
    }
}

} // namespace
