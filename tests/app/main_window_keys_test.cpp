// Whole games with the keyboard alone, the cursor and focus frames, and what assistive
// technology reads of the window.
#include "main_window_fixture.h"

#include "accessibility.h"
#include "level_table.h"

#include <QAccessible>
#include <QApplication>

namespace
{

class KeyPlay : public MainWindowTest
{
  protected:
    void OpenForKeys(int32_t level = 0, uint32_t seed = 1)
    {
        OpenOnLevel(level, seed);
        QApplication::setActiveWindow(Window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(Window.get()));
    }

    // A key as the player types it: to whatever holds the focus.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget();
        QTest::keyClick(target != nullptr ? target : Window.get(), key, modifiers);
    }

    // Moves the cursor to a sector with the keys a player would use.
    void KeyTo(int32_t c, int32_t r)
    {
        Key(Qt::Key_Home);
        Key(Qt::Key_PageUp);
        for (int32_t i = 0; i < c; ++i)
            Key(Qt::Key_Right);
        for (int32_t i = 0; i < r; ++i)
            Key(Qt::Key_Down);
        ASSERT_EQ(Window->CursorCol, c);
        ASSERT_EQ(Window->CursorRow, r);
    }

    // Opens every safe sector with the keys, the last one last.
    void OpenAllSafeByKeys()
    {
        for (int32_t c = 0; c < Game().SizeX; ++c)
            for (int32_t r = 0; r < Game().SizeY; ++r)
                if (!Mined(c, r) && State(c, r) == SECTOR_CLOSED && Game().Live) {
                    KeyTo(c, r);
                    Key(Qt::Key_Space);
                }
    }

    // The board as the player sees it, with the cursor if shown.
    QImage BoardOnScreen()
    {
        return Window->pbImage->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QImage Shown() { return Window->pbImage->Shown().convertToFormat(QImage::Format_RGB32); }
    QImage WindowOnScreen()
    {
        return Window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The smallest rectangle holding every pixel where two images differ.
    static QRect Difference(const QImage &a, const QImage &b)
    {
        QRect box;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y)) box |= QRect(x, y, 1, 1);
        return box;
    }

    QAccessibleInterface *Accessible(QObject *object)
    {
        return QAccessible::queryAccessibleInterface(object);
    }
    QString CellName(int32_t c, int32_t r)
    {
        QAccessibleTableInterface *table = Accessible(Window->pbImage)->tableInterface();
        return table->cellAt(r, c)->text(QAccessible::Name);
    }
};

TEST_F(KeyPlay, CursorKeys_StartAtTheCentre_AndStopAtTheEdges)
{
    OpenForKeys(0); // Beginner: 10 x 10
    struct Step {
        Qt::Key Key;
        int32_t Col, Row;
    };
    const Step steps[] = {
        {Qt::Key_Up, 5, 5}, // the first key only shows the cursor, at the centre
        {Qt::Key_Up, 5, 4},   {Qt::Key_Left, 4, 4},     {Qt::Key_Right, 5, 4},
        {Qt::Key_Down, 5, 5}, {Qt::Key_Home, 0, 5},     {Qt::Key_Left, 0, 5},
        {Qt::Key_End, 9, 5},  {Qt::Key_Right, 9, 5},    {Qt::Key_PageUp, 9, 0},
        {Qt::Key_Up, 9, 0},   {Qt::Key_PageDown, 9, 9}, {Qt::Key_Down, 9, 9},
    };
    EXPECT_FALSE(Window->CursorShown);
    for (const Step &step : steps) {
        Key(step.Key);
        EXPECT_TRUE(Window->CursorShown);
        EXPECT_EQ(Window->CursorCol, step.Col) << step.Key;
        EXPECT_EQ(Window->CursorRow, step.Row) << step.Key;
    }
    EXPECT_EQ(Game().Active, 0); // no key so far pressed on a sector
    // Space, F and D on a hidden cursor only show it, where it then acts.
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_F, Qt::Key_D}) {
        Click(Qt::RightButton, 0, 0); // a mouse press hides the cursor
        EXPECT_FALSE(Window->CursorShown);
        Key(key);
        EXPECT_TRUE(Window->CursorShown);
        EXPECT_EQ(Game().Active, 0);
        EXPECT_EQ(State(9, 9), SECTOR_CLOSED);
    }

    // A new level puts the cursor back at the centre of its field.
    Window->ChooseLevel(3);
    EXPECT_EQ(Window->CursorCol, 16);
    EXPECT_EQ(Window->CursorRow, 12);
    // So does a custom field that only changes the height, as the settings dialog leaves it.
    Game().Level = LevelCustom;
    Game().SizeY = 8;
    Game().MaxY = 7;
    Window->LayoutField();
    Window->NewGame();
    EXPECT_EQ(Window->CursorCol, 16);
    EXPECT_EQ(Window->CursorRow, 4);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(Window->CursorRow, 7);
}

TEST_F(KeyPlay, TimedGameWonWithKeysOnly_AsksForTheNameAndShowsTheBestTimes)
{
    OpenForKeys(0);
    Game().TimedGame = 1;
    Window->Best.BestTime[0] = 40.3f;
    NameToEnter = "Keys";
    Key(Qt::Key_Space); // shows the cursor
    EXPECT_EQ(Game().Active, 0);
    Key(Qt::Key_Space); // the first press: mines laid around the centre
    EXPECT_EQ(Game().Active, 1);
    EXPECT_EQ(State(5, 5), SECTOR_OPEN);
    Now += 12300;
    Window->TimerCtlTimer();
    bool bestShown = false;
    QTimer::singleShot(0, [&] {
        bestShown = Window->frmBest->isVisible();
        Window->frmBest->accept();
    });
    OpenAllSafeByKeys();
    EXPECT_EQ(Game().Live, 0);
    EXPECT_EQ(Window->sbStatus->text(), LocaleTime("Finished in 12.3 seconds"));
    ASSERT_EQ(Prompts.size(), 1);
    EXPECT_EQ(Window->Best.BestName[0], "Keys");
    EXPECT_FLOAT_EQ(Window->Best.BestTime[0], 12.3f);
    EXPECT_TRUE(bestShown);
}

TEST_F(KeyPlay, MarkChordLossAndNewGame_ByKeys_FollowTheBoardsRules)
{
    OpenForKeys(2, 11); // Expert: plenty of numbers
    Game().ProbDisplay = 0;
    Key(Qt::Key_Space);
    Key(Qt::Key_Space);
    ASSERT_EQ(State(12, 10), SECTOR_OPEN);
    // A number with exactly one mine around it.
    int32_t c, r, mc, mr;
    ASSERT_TRUE(FindNumberOne(c, r, mc, mr));
    KeyTo(c, r);
    Key(Qt::Key_Space);
    ASSERT_EQ(State(c, r), SECTOR_OPEN);

    // D on the number before its mine is marked: the chord fails and leaves no preview.
    const QImage before = Window->Board.bmpField;
    Key(Qt::Key_D);
    EXPECT_EQ(Window->ChordPreview, 0);
    EXPECT_TRUE(FaceIs(Window->bmpFace0));
    EXPECT_EQ(Window->Board.bmpField, before);

    const int32_t minesLeft = Game().MinesLeft;
    KeyTo(mc, mr);
    Key(Qt::Key_F);
    EXPECT_EQ(State(mc, mr), SECTOR_MARKED);
    EXPECT_EQ(Game().MinesLeft, minesLeft - 1);
    Key(Qt::Key_F);
    EXPECT_EQ(State(mc, mr), SECTOR_CLOSED);
    Key(Qt::Key_F);
    Key(Qt::Key_Space); // a left press on a marker does nothing
    EXPECT_EQ(State(mc, mr), SECTOR_MARKED);

    KeyTo(c, r);
    Key(Qt::Key_D); // the chord
    for (int32_t i = c - 1; i <= c + 1; ++i)
        for (int32_t j = r - 1; j <= r + 1; ++j)
            if (i != mc || j != mr) {
                EXPECT_EQ(State(i, j), SECTOR_OPEN) << i << "," << j;
            }

    // Open a mine: lost, and the board takes no more presses until F2.
    int32_t lc, lr;
    ASSERT_TRUE(Find(SECTOR_CLOSED, true, lc, lr));
    KeyTo(lc, lr);
    Key(Qt::Key_Space);
    EXPECT_EQ(Window->sbStatus->text(), "Game Over!");
    EXPECT_TRUE(FaceIs(Window->bmpFace2));
    int32_t sc, sr;
    ASSERT_TRUE(Find(SECTOR_CLOSED, false, sc, sr));
    KeyTo(sc, sr);
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_F, Qt::Key_D})
        Key(key);
    EXPECT_EQ(State(sc, sr), SECTOR_CLOSED);
    EXPECT_EQ(Game().Live, 0);

    Key(Qt::Key_F2);
    EXPECT_EQ(Game().Live, 1);
    EXPECT_EQ(Game().Active, 0);
    EXPECT_TRUE(Window->sbStatus->text().isEmpty());
    EXPECT_TRUE(FaceIs(Window->bmpFace0));
    // Ctrl+Q closes the window, saving as closing does.
    Key(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(Window->isVisible());
    EXPECT_TRUE(QFile::exists(Folder.filePath("kelvane.ini")));
}

TEST_F(KeyPlay, WithoutKeys_NothingNewIsDrawn_AndTheCursorAndFocusFramesComeAndGo)
{
    OpenForKeys(0);
    // A mouse player's game: the screen is the board image and the designed window.
    Click(Qt::LeftButton, 5, 5);
    Click(Qt::RightButton, 0, 9);
    EXPECT_EQ(BoardOnScreen(), Shown());
    EXPECT_EQ(Window->pbImage->FrameShown(), QRect());
    EXPECT_EQ(QApplication::focusWidget(), Window.get()); // no label took the focus
    const QImage designed = WindowOnScreen();

    // Tab frames the menu labels in order, Shift+Tab goes back.
    struct Stop {
        Qt::KeyboardModifiers Modifiers;
        QWidget *Label;
    };
    const Stop stops[] = {{Qt::NoModifier, Window->lblNewGame},
                          {Qt::NoModifier, Window->lblLevel},
                          {Qt::NoModifier, Window->lblSettings},
                          {Qt::ShiftModifier, Window->lblLevel}};
    for (const Stop &stop : stops) {
        Key(Qt::Key_Tab, stop.Modifiers);
        EXPECT_EQ(QApplication::focusWidget(), stop.Label);
        EXPECT_EQ(Difference(WindowOnScreen(), designed), FocusFrameArea(stop.Label->geometry()))
            << stop.Label->objectName().toStdString();
    }

    // An arrow returns to the board and shows the cursor: only the ring around its sector
    // changes, and the label's frame is gone.
    Key(Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), Window->pbImage);
    // (its outer black line lies on the grid lines)
    const QRect sector = Window->Board.Interior(5, 5).adjusted(-1, -1, 1, 1);
    const QRect changed = sector.adjusted(1, 1, -1, -1);
    EXPECT_EQ(Difference(BoardOnScreen(), Shown()), changed);
    EXPECT_EQ(Difference(WindowOnScreen(), designed), changed.translated(Window->pbImage->pos()));
    const QImage withCursor = BoardOnScreen();
    EXPECT_EQ(withCursor.pixel(sector.topLeft()), qRgb(0, 0, 0));
    EXPECT_EQ(withCursor.pixel(sector.topLeft() + QPoint(1, 1)), qRgb(255, 230, 0));
    EXPECT_EQ(withCursor.pixel(sector.center()), Shown().pixel(sector.center()));

    // A mouse press hides it again (a right press on an open sector, which changes nothing).
    Click(Qt::RightButton, 5, 5);
    EXPECT_FALSE(Window->CursorShown);
    EXPECT_EQ(BoardOnScreen(), Shown());
    EXPECT_EQ(WindowOnScreen(), designed);
}

TEST_F(KeyPlay, FocusedLabels_AreClickedBySpaceOrReturn)
{
    OpenForKeys(0);
    Key(Qt::Key_Space);
    Key(Qt::Key_Space); // a game under way
    ASSERT_EQ(Game().Active, 1);

    Key(Qt::Key_Tab); // "New Game"
    Key(Qt::Key_Return);
    EXPECT_EQ(Game().Active, 0);
    EXPECT_EQ(State(5, 5), SECTOR_CLOSED);

    Key(Qt::Key_Tab); // "Level..."
    Key(Qt::Key_Space);
    EXPECT_TRUE(Window->PopupMenu1->isVisible());
    QTest::keyClick(Window->PopupMenu1, Qt::Key_Down);
    QTest::keyClick(Window->PopupMenu1, Qt::Key_Down);
    QTest::keyClick(Window->PopupMenu1, Qt::Key_Down); // "Expert"
    QTest::keyClick(Window->PopupMenu1, Qt::Key_Return);
    EXPECT_EQ(Game().Level, 2);
    EXPECT_FALSE(Window->PopupMenu1->isVisible());

    Key(Qt::Key_Tab);
    Key(Qt::Key_Tab); // "Best Times"
    EXPECT_EQ(QApplication::focusWidget(), Window->lblBestTimes);
    bool shown = false;
    QTimer::singleShot(0, [&] {
        shown = Window->frmBest->isVisible();
        Window->frmBest->accept();
    });
    Key(Qt::Key_Space);
    EXPECT_TRUE(shown);
    // The offscreen platform gives no activation back after a modal dialog; a desktop does.
    QApplication::setActiveWindow(Window.get());
    ASSERT_EQ(QApplication::focusWidget(), Window->lblBestTimes);

    // The option labels, while a game is played.
    Window->NewGame();
    Click(Qt::LeftButton, 5, 5);
    // A press on the board takes the focus back from the label.
    EXPECT_EQ(QApplication::focusWidget(), Window.get());
    for (int i = 0; i < 6; ++i)
        Key(Qt::Key_Tab); // the menu, then the first option label
    EXPECT_EQ(QApplication::focusWidget(), Window->Stats->lblMode);
    const int32_t mode = Game().AdvancedMode;
    Key(Qt::Key_Space);
    EXPECT_NE(Game().AdvancedMode, mode);
}

TEST_F(KeyPlay, AccessibleTree_ButtonsCountersAndABoardOfNamedCells)
{
    OpenForKeys(0);
    struct Expected {
        QObject *Object;
        QAccessible::Role Role;
        QString Name;
    };
    const Expected controls[] = {
        {Window->lblNewGame, QAccessible::Button, "New Game"},
        {Window->lblLevel, QAccessible::Button, "Level..."},
        {Window->lblSettings, QAccessible::Button, "Settings"},
        {Window->lblBestTimes, QAccessible::Button, "Best Times"},
        {Window->lblHelp, QAccessible::Button, "Help"},
        {Window->imgNew, QAccessible::Button, "New game"},
        {Window->Stats->lblMode, QAccessible::Button,
         "Calculation Mode: " + Window->Stats->lblMode->text()},
        {Window->Stats->lblRecalc, QAccessible::Button,
         "Recalculation Needed?: " + Window->Stats->lblRecalc->text()},
        {Window->pbxLeft, QAccessible::StaticText, "Mines left:"},
        {Window->pbxTime, QAccessible::StaticText, "Time:"},
        {Window->Stats->lblStatus, QAccessible::StaticText, "Idle"},
        {Window->pbImage, QAccessible::Table, "Board"},
        {Window.get(), QAccessible::Window, Window->windowTitle()},
        {Window->sbStatus, QAccessible::AlertMessage, ""},
    };
    for (const Expected &e : controls) {
        QAccessibleInterface *iface = Accessible(e.Object);
        ASSERT_NE(iface, nullptr) << e.Name.toStdString();
        EXPECT_EQ(iface->role(), e.Role) << e.Name.toStdString();
        EXPECT_EQ(iface->text(QAccessible::Name), e.Name);
    }
    // The panel's values are labelled by their captions.
    const std::pair<QWidget *, QString> captioned[] = {
        {Window->Stats->lblCell, "Sector Index"},
        {Window->Stats->lblDepth, "Step Depth"},
        {Window->Stats->lblStatus, "Engine Status"},
        {Window->Stats->lblRecalc, "Recalculation Needed?"},
    };
    for (const auto &[value, caption] : captioned) {
        QStringList labels;
        for (const auto &[label, relation] : Accessible(value)->relations(QAccessible::Label))
            labels << label->text(QAccessible::Name);
        EXPECT_EQ(labels, QStringList(caption));
    }
    // The face button's press action starts a new game, as a click does.
    Click(Qt::LeftButton, 5, 5);
    ASSERT_EQ(Game().Active, 1);
    EXPECT_EQ(Accessible(Window->pbxLeft)->text(QAccessible::Name), "Mines left: 10");
    Accessible(Window->imgNew)
        ->actionInterface()
        ->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(Game().Active, 0);

    QAccessibleInterface *board = Accessible(Window->pbImage);
    QAccessibleTableInterface *table = board->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 10);
    EXPECT_EQ(table->columnCount(), 10);
    EXPECT_EQ(board->childCount(), 100);
    EXPECT_EQ(CellName(3, 2), "column 3, row 2: closed"); // as the panel shows (3, 2)
    EXPECT_EQ(board->indexOfChild(table->cellAt(2, 3)), 23);
    EXPECT_EQ(board->child(23), table->cellAt(2, 3));

    Click(Qt::LeftButton, 5, 5);
    int32_t number = 0, nc = -1, nr = -1, mc, mr;
    for (int32_t c = 0; c < 10 && nc < 0; ++c)
        for (int32_t r = 0; r < 10 && nc < 0; ++r)
            if (State(c, r) == SECTOR_OPEN && Game().Number[KELVANE_SECTOR_INDEX(c, r)] > 0) {
                nc = c;
                nr = r;
                number = Game().Number[KELVANE_SECTOR_INDEX(c, r)];
            }
    ASSERT_GE(nc, 0);
    ASSERT_TRUE(Find(SECTOR_CLOSED, true, mc, mr));
    Click(Qt::RightButton, mc, mr);
    int32_t pc, pr;
    ASSERT_TRUE(Find(SECTOR_CLOSED, false, pc, pr));
    Game().ProbDisplay = 1;
    Game().Prob[KELVANE_SECTOR_INDEX(pc, pr)] = 0.2345f; // as the engine leaves it
    struct Cell {
        int32_t C, R;
        QString Look;
    };
    const Cell cells[] = {
        {5, 5, "open"},
        {nc, nr, QString("open, %1").arg(number)},
        {mc, mr, "marked"},
        {pc, pr, "closed, mine probability 0.23"},
    };
    for (const Cell &cell : cells)
        EXPECT_EQ(CellName(cell.C, cell.R),
                  QString("column %1, row %2: %3").arg(cell.C).arg(cell.R).arg(cell.Look));
    Game().ProbDisplay = 0;
    EXPECT_EQ(CellName(pc, pr), QString("column %1, row %2: closed").arg(pc).arg(pr));

    // The accessible focus follows the keyboard cursor.
    EXPECT_EQ(board->focusChild(), nullptr);
    Key(Qt::Key_Left);
    Key(Qt::Key_Left);
    ASSERT_EQ(Window->CursorCol, 4);
    QAccessibleInterface *focused = board->focusChild();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused, table->cellAt(5, 4));
    EXPECT_TRUE(focused->state().focused);
    EXPECT_FALSE(table->cellAt(5, 5)->state().focused);
    EXPECT_EQ(focused->rect().size(), Window->Board.Interior(4, 5).size());

    // The clock reads its time when asked, but its name never changes (a change would be
    // announced at every tick); the end of a game reads on the status line, an alert.
    Now += 1500;
    Window->TimerCtlTimer();
    EXPECT_EQ(Accessible(Window->pbxTime)->text(QAccessible::Name),
              CounterReading("Time", TimeText(Window->ElapsedTime)));
    EXPECT_NE(Accessible(Window->pbxTime)->text(QAccessible::Name), "Time:");
    EXPECT_TRUE(Window->pbxTime->accessibleName().isEmpty());
    int32_t lc, lr;
    ASSERT_TRUE(Find(SECTOR_CLOSED, true, lc, lr));
    Click(Qt::LeftButton, lc, lr);
    EXPECT_EQ(Accessible(Window->sbStatus)->text(QAccessible::Name), "Game Over!");
    // After the loss the mines read as shown.
    EXPECT_EQ(CellName(lc, lr), QString("column %1, row %2: mine").arg(lc).arg(lr));

    // Expert, 24 columns by 20 rows: children go row by row, and only the cursor's own
    // sector is focused, not its column's others.
    Window->ChooseLevel(2);
    EXPECT_EQ(board->childCount(), 480);
    EXPECT_EQ(board->indexOfChild(table->cellAt(2, 3)), 2 * 24 + 3);
    EXPECT_EQ(board->child(2 * 24 + 3), table->cellAt(2, 3));
    EXPECT_EQ(board->indexOfChild(table->cellAt(19, 23)), 479);
    Key(Qt::Key_Up); // shows the cursor at the centre, (12, 10)
    ASSERT_EQ(Window->CursorRow, 10);
    EXPECT_TRUE(table->cellAt(10, 12)->state().focused);
    EXPECT_FALSE(table->cellAt(11, 12)->state().focused);
    EXPECT_FALSE(table->cellAt(10, 13)->state().focused);
}

} // namespace
