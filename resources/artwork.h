// The program's pictures, packed into the Qt resource system by the kelvane_resources library.
// Each is found under its design name: ":/MAINBKGND", ":/FACEBITMAP0" .. ":/FACEBITMAP2",
// ":/SETTINGSBKGND", ":/CHECKBOX0", ":/CHECKBOX1", ":/BESTBKGND", ":/MAINICON",
// ":/ARROWUPDOWN", ":/ARROWDOWN", ":/LEGEND".
#pragma once

#include <QImage>
#include <QStringView>

// The transparent key colour of the box pictures and the legend (cyan).
inline constexpr QRgb ArtworkKeyColor = 0xff00ffffu;

// The picture named `name` as a 32-bit image (Format_RGB32, or Format_ARGB32 for a picture
// with transparency); a null image when there is no such picture.
QImage LoadArtwork(QStringView name);

// The picture named `name` as Format_ARGB32 with every pixel of the key colour made fully
// transparent, ready to be drawn over a background; a null image when there is none.
QImage LoadKeyedArtwork(QStringView name);
