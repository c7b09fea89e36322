// What assistive technology sees of the main window: the clickable labels and the face as
// push buttons, the counters as labels reading their value, and the board as a table whose
// cells read as the sectors look.
#pragma once

#include "paint_box.h"

#include <QLabel>
#include <QRect>
#include <QString>

#include <cstdint>

// What the board's reading needs of the game, read only; the main window implements it.
class BoardReading
{
  public:
    virtual ~BoardReading() = default;
    virtual int32_t Columns() const = 0;
    virtual int32_t Rows() const = 0;
    // What a screen reader hears for a sector: "column 4, row 2: closed", "open, 2"...
    virtual QString SectorDescription(int32_t c, int32_t r) const = 0;
    // The inside of a sector, in the board area's pixels.
    virtual QRect SectorInterior(int32_t c, int32_t r) const = 0;
    // The sector under a point of the board area; false off the field's top-left edges.
    virtual bool SectorAt(QPoint at, int32_t &c, int32_t &r) const = 0;
    // The keyboard cursor's sector; false while it is not shown.
    virtual bool CursorAt(int32_t &c, int32_t &r) const = 0;
};

// The board area: a paint box that reads as a table of sectors.
class BoardArea : public PaintBox
{
    Q_OBJECT
  public:
    BoardArea(QWidget *parent, QRect geometry, const BoardReading &reading)
        : PaintBox(parent, geometry), Reading(reading)
    {
    }
    const BoardReading &Reading;
};

// The status line: every text it shows is announced to a screen reader as an alert, since
// it tells how a game ended and what the board is.
class StatusLine : public QLabel
{
    Q_OBJECT
  public:
    using QLabel::QLabel;
    void Show(const QString &text);
};

// Announces a text at once, as an alert from the status line.
void Announce(StatusLine *line, const QString &text);

// The property of a paint box that holds what it reads as, read on demand only: the clock
// ticks ten times a second and must not be announced at each one.
inline constexpr char AccessibleReading[] = "kelvaneReading";

// The property of a clickable label that holds the caption it is read with.
inline constexpr char AccessibleCaption[] = "kelvaneCaption";

// A counter as read aloud: "Mines left: 37"; an empty frame reads "Mines left:".
QString CounterReading(const QString &caption, const QString &value);

// Registers the interfaces above with Qt's accessibility; once per program, before any
// window is shown.
void InstallAccessibility();
