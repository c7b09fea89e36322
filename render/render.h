// Board presentation: field geometry and sector looks (FieldPainter), the counters and the
// progress bar, the display scale, and the small widgets the windows are built from.
// The two dialogs' drawn parts are in dialog_parts.h, their keyboard use and reading in
// dialog_focus.h.
#pragma once

#include "click_label.h"
#include "counters.h"
#include "display_scale.h"
#include "field_geometry.h"
#include "field_painter.h"
#include "frame.h"
#include "paint_box.h"
