// Keyboard play in the main window: a cursor on the board, keys that press on it through the
// board's own press handlers, Tab over the menu labels, and what a screen reader is told.
#include "main_window.h"

#include "accessibility.h"

#include <QAccessible>
#include <QKeyEvent>

void TfrmMain::SetUpKeyboard()
{
    InstallAccessibility();
    imgNew->setAccessibleName("New game");
    pbxLeft->setAccessibleName(CounterReading("Mines left", QString()));
    pbxTime->setProperty(AccessibleReading, CounterReading("Time", QString()));
    pbxBar->setAccessibleName("Progress");
    const std::pair<QWidget *, const char *> captions[] = {
        {Stats->lblMode, "Calculation Mode"},
        {Stats->lblDepth, "Step Depth"},
        {Stats->lblDupCheck, "Duplicate Checking"},
        {Stats->lblChMode, "Combinations Checking"},
        {Stats->lblRecalc, "Recalculation Needed?"}};
    for (const auto &[label, caption] : captions)
        label->setProperty(AccessibleCaption, QString(caption));
    // Tab visits the menu, then the engine's option labels; a mouse click gives no focus.
    QWidget *chain[] = {lblNewGame,       lblLevel,        lblSettings,     lblBestTimes,
                        lblHelp,          Stats->lblMode,  Stats->lblDepth, Stats->lblDupCheck,
                        Stats->lblChMode, Stats->lblRecalc};
    QWidget *previous = nullptr;
    for (QWidget *control : chain) {
        control->setFocusPolicy(Qt::TabFocus);
        control->installEventFilter(this);
        if (previous != nullptr) setTabOrder(previous, control);
        previous = control;
    }
}

// The clickable labels: while the engine runs they take no key but Esc (which goes on to
// the window); Tab's focus shows a frame around the label.
bool TfrmMain::eventFilter(QObject *watched, QEvent *event)
{
    auto *control = qobject_cast<QWidget *>(watched);
    if (control == nullptr) return false;
    switch (event->type()) {
    case QEvent::KeyPress:
        return GameState->EngineBusy != 0 &&
               static_cast<QKeyEvent *>(event)->key() != Qt::Key_Escape;
    case QEvent::FocusIn: {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
            HideCursor();
            FocusFramed = control;
            update(FocusFrameArea(control->geometry()));
        }
        break;
    }
    case QEvent::FocusOut: {
        // A popup menu or another window borrows the focus and gives it back.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (FocusFramed == control && reason != Qt::PopupFocusReason &&
            reason != Qt::ActiveWindowFocusReason) {
            FocusFramed = nullptr;
            update(FocusFrameArea(control->geometry()));
        }
        break;
    }
    default:
        break;
    }
    return false;
}

bool TfrmMain::focusNextPrevChild(bool next)
{
    if (GameState->EngineBusy != 0) return true; // Tab does nothing during a run
    return QWidget::focusNextPrevChild(next);
}

void TfrmMain::keyPressEvent(QKeyEvent *event)
{
    event->accept();
    if (GameState->EngineBusy != 0) {
        if (event->key() == Qt::Key_Escape) Driver->RequestHalt();
        return;
    }
    if (!BoardKey(event)) event->ignore();
}

// The keys of the board and the window; false for a key they do not use.
bool TfrmMain::BoardKey(QKeyEvent *event)
{
    const TGameState &game = *GameState;
    ClearHint();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_Q) {
        close();
        return true;
    }
    if (modifiers == Qt::ControlModifier && event->key() == Qt::Key_O) {
        if (!event->isAutoRepeat()) OpenGameClick();
        return true;
    }
    if (modifiers != Qt::NoModifier) return false;
    // Held keys repeat only the cursor's moves, never a press.
    const bool repeat = event->isAutoRepeat();
    const bool moves = event->key() == Qt::Key_Left || event->key() == Qt::Key_Right ||
                       event->key() == Qt::Key_Up || event->key() == Qt::Key_Down ||
                       event->key() == Qt::Key_Home || event->key() == Qt::Key_End ||
                       event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown;
    // The first key shows the cursor where it is, before it moves or acts.
    if (moves && !CursorShown) {
        MoveCursorTo(CursorCol, CursorRow);
        return true;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        MoveCursorTo(CursorCol - 1, CursorRow);
        return true;
    case Qt::Key_Right:
        MoveCursorTo(CursorCol + 1, CursorRow);
        return true;
    case Qt::Key_Up:
        MoveCursorTo(CursorCol, CursorRow - 1);
        return true;
    case Qt::Key_Down:
        MoveCursorTo(CursorCol, CursorRow + 1);
        return true;
    case Qt::Key_Home:
        MoveCursorTo(0, CursorRow);
        return true;
    case Qt::Key_End:
        MoveCursorTo(game.MaxX, CursorRow);
        return true;
    case Qt::Key_PageUp:
        MoveCursorTo(CursorCol, 0);
        return true;
    case Qt::Key_PageDown:
        MoveCursorTo(CursorCol, game.MaxY);
        return true;
    case Qt::Key_Space:
        if (!repeat) PressAtCursor(Qt::LeftButton);
        return true;
    case Qt::Key_F:
        if (!repeat) PressAtCursor(Qt::RightButton);
        return true;
    case Qt::Key_D:
        if (!repeat) PressAtCursor(Qt::MiddleButton);
        return true;
    case Qt::Key_F2:
        if (!repeat) NewGame();
        return true;
    case Qt::Key_F1:
        if (!repeat) lblHelpClick();
        return true;
    case Qt::Key_F3:
        if (!repeat) ShowStatistics();
        return true;
    case Qt::Key_H:
        if (!repeat) ShowHint();
        return true;
    case Qt::Key_F4:
        if (!repeat) ReviewLastGame();
        return true;
    default:
        return false;
    }
}

// Shows the cursor on the sector, kept inside the field; the board takes the focus so that
// a screen reader follows it.
void TfrmMain::MoveCursorTo(int32_t c, int32_t r)
{
    const TGameState &game = *GameState;
    CursorCol = std::clamp(c, 0, game.MaxX);
    CursorRow = std::clamp(r, 0, game.MaxY);
    CursorShown = true;
    if (!pbImage->hasFocus()) pbImage->setFocus(Qt::OtherFocusReason);
    ShowCursorFrame();
    TellCursorFocus();
}

void TfrmMain::HideCursor()
{
    CursorShown = false;
    pbImage->ShowFrame(QRect());
}

// After a new layout: the cursor stays where it was on a field of the same size, else it
// goes back to the centre.
void TfrmMain::PlaceCursorInField()
{
    const TGameState &game = *GameState;
    if (game.SizeX != CursorFieldX || game.SizeY != CursorFieldY) {
        CursorFieldX = game.SizeX;
        CursorFieldY = game.SizeY;
        CursorCol = game.SizeX / 2;
        CursorRow = game.SizeY / 2;
    }
    if (CursorShown) ShowCursorFrame();
}

void TfrmMain::ShowCursorFrame()
{
    pbImage->ShowFrame(CursorShown ? Board.Interior(CursorCol, CursorRow).adjusted(-1, -1, 1, 1)
                                   : QRect());
}

// A key press acts as the mouse pressing and releasing on the cursor's sector, through the
// same handlers and guards. The first key shows the cursor where it will act.
void TfrmMain::PressAtCursor(Qt::MouseButton button)
{
    if (!CursorShown) {
        MoveCursorTo(CursorCol, CursorRow);
        return;
    }
    const QRect sector = Board.Interior(CursorCol, CursorRow);
    pbImageMouseDown(button, Qt::NoButton, false, sector.center().x(), sector.center().y());
    pbImageMouseUp();
}

// Sectors drawn anew read differently now.
void TfrmMain::TellSectorsChanged(const QRect &changed)
{
    if (!QAccessible::isActive() || changed.isEmpty()) return;
    const FieldGeometry &g = Board.Geometry;
    const TGameState &game = *GameState;
    const int32_t c0 = std::max(0, (changed.left() - g.FieldLeft) / g.CellSize);
    const int32_t r0 = std::max(0, (changed.top() - g.FieldTop) / g.CellSize);
    const int32_t c1 = std::min(game.MaxX, (changed.right() - g.FieldLeft) / g.CellSize);
    const int32_t r1 = std::min(game.MaxY, (changed.bottom() - g.FieldTop) / g.CellSize);
    for (int32_t r = r0; r <= r1; ++r)
        for (int32_t c = c0; c <= c1; ++c) {
            QAccessibleEvent event(pbImage, QAccessible::NameChanged);
            event.setChild(SectorChildIndex(c, r));
            QAccessible::updateAccessibility(&event);
        }
}

void TfrmMain::TellCursorFocus()
{
    if (!QAccessible::isActive() || !CursorShown) return;
    QAccessibleEvent event(pbImage, QAccessible::Focus);
    event.setChild(SectorChildIndex(CursorCol, CursorRow));
    QAccessible::updateAccessibility(&event);
}

bool TfrmMain::SectorAt(QPoint at, int32_t &c, int32_t &r) const
{
    const FieldGeometry &g = Board.Geometry;
    if (at.x() < g.FieldLeft || at.y() < g.FieldTop) return false;
    c = (at.x() - g.FieldLeft) / g.CellSize;
    r = (at.y() - g.FieldTop) / g.CellSize;
    return true;
}

bool TfrmMain::CursorAt(int32_t &c, int32_t &r) const
{
    c = CursorCol;
    r = CursorRow;
    return CursorShown;
}

QString TfrmMain::SectorDescription(int32_t c, int32_t r) const
{
    const TGameState &game = *GameState;
    const int32_t i = KELVANE_SECTOR_INDEX(c, r);
    const bool lost = game.Live == 0 && game.SafeLeft > 0; // the lost board shows the mines
    QString look;
    switch (game.State[i]) {
    case SECTOR_OPEN:
        look = game.Number[i] > 0 ? QString("open, %1").arg(game.Number[i]) : QString("open");
        break;
    case SECTOR_MARKED:
        look = lost && game.Mined[i] == 0 ? QString("marked, no mine") : QString("marked");
        break;
    case SECTOR_TRIGGERED:
        look = "mine";
        break;
    default:
        if (lost && game.Mined[i] != 0)
            look = "mine";
        else if (game.ProbDisplay != 0 && !std::signbit(game.Prob[i]))
            look = QString("closed, mine probability %1")
                       .arg(QString::number(double(game.Prob[i]), 'f', 2));
        else
            look = "closed";
        break;
    }
    // The numbers of the statistics panel's sector index: column, then row, from 0.
    return QString("column %1, row %2: %3").arg(c).arg(r).arg(look);
}
