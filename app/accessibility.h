// What assistive technology sees of the main window: the clickable labels and the face as
// push buttons, the counters as labels reading their value, and the board as a table whose
// cells read as the sectors look.
#pragma once

#include "paint_box.h"

#include <QString>

// The board area: a paint box that reads as a table of sectors.
class BoardArea : public PaintBox
{
    Q_OBJECT
  public:
    using PaintBox::PaintBox;
};

// The property of a clickable label that holds the caption it is read with.
inline constexpr char AccessibleCaption[] = "kelvaneCaption";

// A counter as read aloud: "Mines left: 37"; an empty frame reads "Mines left:".
QString CounterReading(const QString &caption, const QString &value);

// Registers the interfaces above with Qt's accessibility; once per program, before any
// window is shown.
void InstallAccessibility();
