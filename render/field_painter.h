// The board as drawn: every sector look, painted into the off-screen image bmpField.
// Textures are pieces of the window's background picture under the field, darkened for
// closed sectors and washed out for open ones, so the board blends into the picture.
// Geometry is in layout pixels; the images hold Scale device pixels per layout pixel (the
// background handed in is already at that scale), so every fill and copy covers whole
// blocks and text is drawn at full resolution, measured as at scale 1.
#pragma once

#include "field_geometry.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QStaticText>
#include <QString>

#include <map>
#include <utility>

// Text colour of a probability: white for 0, pure red for 1, linear between.
QColor ProbabilityColour(float p);
// The colour of an open sector's number, 1 to 8.
QColor NumberColour(int32_t number);

class FieldPainter
{
  public:
    explicit FieldPainter(int32_t scale = 1);

    // Geometry and textures for a new field; boardOrigin is the board area's top-left
    // corner in the background picture.
    void LayoutField(const FieldGeometry &geometry, const QImage &background, QPoint boardOrigin);
    // Sizes in points at 96 dpi, whatever the desktop's DPI.
    void SetFontSize(int32_t points);
    int32_t FontSize() const { return FontPoints; }
    int32_t Scale() const { return ScaleFactor; }

    // The board area's piece of the background, the closed field and the grid.
    void RedrawField(const QImage &background, QPoint boardOrigin, int32_t sizeX, int32_t sizeY);
    void DrawGrid(int32_t sizeX, int32_t sizeY);

    void DrawOpenSector(int32_t c, int32_t r, int32_t number);
    void DrawMarker(int32_t c, int32_t r);
    // Closed texture and, unless the sign bit of p is set, p with two decimals.
    void DrawClosedSector(int32_t c, int32_t r, float p);
    void DrawBareClosedSector(int32_t c, int32_t r);
    void DrawPressedSector(int32_t c, int32_t r);
    void HighlightSector(int32_t c, int32_t r);
    // A mine shown on the lost board: closed texture and a black "X".
    void DrawMine(int32_t c, int32_t r);
    // Red interior with a black "X": the mine that lost, or one triggered in Trainer Mode.
    void DrawFatalSector(int32_t c, int32_t r);
    // The red bar across a marker on a safe sector.
    void DrawWrongMarkerBar(int32_t c, int32_t r);

    QImage bmpField;
    QImage bmpClosed;
    QImage bmpOpen;
    FieldGeometry Geometry;

    // What was drawn since the last call, in layout pixels, and forgets it: the part of
    // bmpField that a presentation has to copy.
    QRect TakeChanged();

    // The layout-pixel rectangle inside the sector's grid lines.
    QRect Interior(int32_t c, int32_t r) const;
    // Fills a layout-pixel rectangle of bmpField, clipped to the image.
    void FillLayoutRect(const QRect &rect, QRgb colour);

  private:
    QPoint Corner(int32_t c, int32_t r) const;
    void CopyInterior(const QImage &texture, int32_t c, int32_t r);
    void FillInterior(int32_t c, int32_t r, QRgb colour);
    void DrawCentredText(int32_t c, int32_t r, const QString &text, const QColor &colour);

    void Touch(const QRect &rect) { Changed |= rect; }
    struct PreparedText {
        QStaticText Text;
        int32_t Width = 0, Height = 0, Ascent = 0;
    };
    const PreparedText &Prepared(const QString &text);

    int32_t ScaleFactor;
    QRect Changed;
    QFont Font;
    int32_t FontPoints = 16;
    std::map<std::pair<int, QString>, PreparedText> TextCache; // by pixel size and text
};
