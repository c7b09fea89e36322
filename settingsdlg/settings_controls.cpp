#include "settings_controls.h"

#include "display_scale.h"
#include "frame.h"

#include <QFontMetrics>
#include <QPainter>

void DrawControlText(TImage *image, uint8_t align, const QString &text)
{
    QImage &canvas = image->Canvas();
    const QRect box(QPoint(0, 0), image->size());
    QPainter painter(&canvas);
    // The framed box as filled strips, whole pixels at any scale.
    painter.fillRect(box, image->BrushColor);
    for (int ring = 0; ring < image->PenWidth; ++ring)
        DrawFrame(painter, box.adjusted(ring, ring, -ring, -ring), image->PenColor);
    if (!text.isEmpty()) {
        QFont font = At96Dpi(painter.font());
        font.setBold(image->FontBold);
        painter.setFont(font);
        painter.setPen(image->FontColor);
        const QFontMetrics metrics = painter.fontMetrics();
        const int width = metrics.horizontalAdvance(text);
        int x = 2;
        if (align == AlignCentre)
            x = (box.width() - width) >> 1;
        else if (align == AlignRight)
            x = box.width() - width - 3;
        const int y = (box.height() - metrics.height()) >> 1;
        painter.drawText(x, y + metrics.ascent(), text);
    }
    painter.end();
    image->update();
}

void CUpDown::Redraw() const
{
    if (Image != nullptr) DrawControlText(Image, Align, QString::number(Value));
}

void CUpDown::StepUp()
{
    if (!Enabled) return;
    Value = Value >= Max ? Max : Value + 1;
    Redraw();
}

void CUpDown::StepDown()
{
    if (!Enabled) return;
    Value = Value <= Min ? Min : Value - 1;
    Redraw();
}

void CUpDown::Clamp()
{
    if (Value < Min) Value = Min;
    if (Value > Max) Value = Max;
}

void CListBox::Redraw() const
{
    if (Image == nullptr) return;
    const bool shown = Index >= 0 && Index < Items.size();
    DrawControlText(Image, Align, shown ? Items.at(Index) : QString());
}

void CListBox::Cycle()
{
    if (!Enabled || Items.isEmpty()) return;
    // Compared before adding, so an index at the top of the int32 range wraps too.
    const int32_t last = static_cast<int32_t>(Items.size()) - 1;
    Index = Index >= last ? 0 : Index + 1;
    Redraw();
}
