// The "Mines Left" and "Time" counters and the engine's progress bar: images that start with
// the piece of the background under their box, then a navy frame and their content.
#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QString>

#include <cstdint>

// The counter texts; an empty text leaves the empty frame.
QString MinesLeftText(int32_t count);
QString TimeText(float seconds);

// The counters' font: navy, bold, 12 points, in the default face.
QFont CounterFont();

void DrawCounter(QImage &image, const QImage &background, QPoint boxPosition, const QString &text);
// Fills round(width x percent / 100) pixels from the left, ties to even.
void DrawProgressBar(QImage &image, const QImage &background, QPoint boxPosition, int32_t percent);
