// The one integer scale S at which every window is drawn. Layout pixels stay the designed
// ones; the device pixel ratio is S, and off-screen images are made at S times their layout
// size so that lines and text stay sharp.
#pragma once

#include <QFont>
#include <QImage>
#include <QSize>

#include <cstdint>

// The main window's client area in layout pixels; the dialogs are smaller.
inline constexpr QSize WindowLayoutSize(964, 660);

// What the desktop says about the primary screen, in physical pixels.
struct ScreenFacts {
    double DevicePixelRatio = 1.0;
    double LogicalDpi = 96.0;
    QSize Physical;
    QSize Available;
};

// The desktop's own scale, rounded down: the device pixel ratio times the logical DPI over
// 96 (a desktop that announces its DPI but no ratio still counts), at least 1.
int32_t DesktopScale(const ScreenFacts &screen);

// The desktop's scale, lowered until the scaled window fits the available area; at least 1.
int32_t FittingScale(const ScreenFacts &screen);

// Asks the platform about the primary screen with the environment the program was started
// with: an X11 desktop straight from its server, any other through a short-lived application
// object. Call before the real application exists.
ScreenFacts ProbeScreen(int &argc, char **argv);

// Makes the next application object draw at exactly `scale` device pixels per layout pixel
// and 96 dpi for point sizes, whatever the desktop's scale settings. The settings changed
// are kept so that RestoreEnvironment can give them back once the application exists.
void PrepareScale(int32_t scale);
// Puts back the scale settings PrepareScale replaced, so that programs started from the
// game (the help viewer) see the desktop's own.
void RestoreEnvironment();

// The scale of the running application: its device pixel ratio, rounded, at least 1.
int32_t DisplayScale();

// A picture for drawing at `scale`: its pixels repeated scale times each way (sharp for
// small pictures and keyed colours) or, with `smooth`, resampled once; device pixel ratio
// set, so it still covers its layout size.
QImage AtScale(const QImage &picture, int32_t scale, bool smooth);

// A 32-bit off-screen image of `layout` size at `scale`.
QImage ScaledCanvas(QSize layout, int32_t scale, QImage::Format format = QImage::Format_RGB32);

// Start-up: probes the screen, picks the fitting scale and prepares the environment for it;
// returns the scale. Call RestoreEnvironment once the application exists.
int32_t PrepareDesktopScale(int &argc, char **argv);

// The primary screen's size in physical pixels, whatever the scale.
QSize PhysicalScreenSize();

// Font sizes are points at 96 dpi on every desktop: the pixel height of `points` points,
// rounded as Qt rounds it at 96 dpi.
int32_t PixelsForPoints(double points);
// The font with its point size (if it has one) turned into that pixel size.
QFont At96Dpi(QFont font);
