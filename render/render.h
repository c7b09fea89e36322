// Board presentation: field geometry and sector looks (FieldPainter), the counters and the
// progress bar, and the small widgets the windows are built from.
#pragma once

#include "click_label.h"
#include "counters.h"
#include "field_geometry.h"
#include "field_painter.h"
#include "frame.h"
#include "paint_box.h"
