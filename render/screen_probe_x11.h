// The primary screen as an X11 desktop describes it, read straight from the X server before
// any application object exists: one X connection for the whole program's start instead of
// two. Answers only where the answer is the one the toolkit would give.
#pragma once

#include "display_scale.h"

#include <QByteArray>

#include <optional>

// The desktop's DPI from the root window's resources (RESOURCE_MANAGER), as the toolkit reads
// it: a line "Xft.dpi:<tab>N" with a whole N; 0 when there is none.
int32_t XftDpi(const QByteArray &resources);

// The primary screen's facts from the X server named by DISPLAY; nothing when the program
// will not run on X11 as it stands (another platform chosen, a Wayland session, a scale
// setting in the environment, no RandR 1.5) or when the server cannot be asked.
std::optional<ScreenFacts> ProbeX11Screen();
