// The settings dialog's two small controls: a bounded number and a cyclic choice, each
// drawing its value as text into a picture component it does not own.
#pragma once

#include "dialog_parts.h"

#include <QString>
#include <QStringList>
#include <cstdint>

// Horizontal text positions of the two controls.
inline constexpr uint8_t AlignLeft = 0;
inline constexpr uint8_t AlignRight = 1;
inline constexpr uint8_t AlignCentre = 2;

// Clears the image to a navy-framed cream box and writes the text, if any, by the alignment
// code: 2 centred, 1 right (3 pixels in), anything else 2 pixels from the left.
void DrawControlText(TImage *image, uint8_t align, const QString &text);

// A bounded integer: Min <= Value <= Max after every operation.
class CUpDown
{
  public:
    TImage *Image = nullptr;
    uint8_t Align = AlignCentre;
    int32_t Min = 0;
    int32_t Max = 0;
    int32_t Value = 0;
    bool Enabled = true;

    // Draws Value in decimal into Image; nothing without an image.
    void Redraw() const;
    // Both do nothing unless Enabled; both redraw, also when the value stays.
    void StepUp();
    void StepDown();
    // Value brought into Min to Max: raised to Min first, then lowered to Max.
    void Clamp();
};

// A cyclic choice among owned Items; Index -1 selects nothing, and an Index outside the
// items shows no text.
class CListBox
{
  public:
    TImage *Image = nullptr;
    uint8_t Align = AlignCentre;
    int32_t Index = -1;
    bool Enabled = true;
    QStringList Items;

    // Draws the selected item into Image, or only clears it; nothing without an image.
    void Redraw() const;
    // The next item, wrapping to the first after the last or from beyond the list; does
    // nothing unless Enabled and the list holds items.
    void Cycle();
};
