// The settings dialog's legend (the picture LEGEND): nine sector samples, 16 x 16 layout
// pixels each, between rows of the key colour. Drawn at run time for a display scale above 1,
// so that its marks stay sharp rather than magnified.
#pragma once

#include <QImage>

#include <cstdint>

// The legend at `scale` device pixels per layout pixel, Format_RGB32 with the device pixel
// ratio set. At scale 1 it is the shipped picture, pixel for pixel; above, the frames and bars
// are whole blocks and the letters and digits are drawn at the device's resolution.
QImage DrawLegend(int32_t scale);
