// A transparent label that reacts to clicks and colours itself under the pointer.
#pragma once

#include <QLabel>

enum class HoverLook {
    None,       // no hover look
    ColourOnly, // link and menu labels: purple under the pointer, style kept
    Underline,  // engine option labels: purple and underlined only under the pointer
};

class QPainter;

// The keyboard focus frame around a control: a purple ring two pixels outside `widget` (a
// control's geometry in its window), drawn by the window beneath the transparent control.
void DrawFocusFrame(QPainter &painter, const QRect &widget);
// The window area that frame covers.
QRect FocusFrameArea(const QRect &widget);

class ClickLabel : public QLabel
{
    Q_OBJECT
  public:
    ClickLabel(const QString &text, QWidget *parent, HoverLook look);

    // Back to the look it has without the pointer over it.
    void ShowNormalLook();

  signals:
    void Clicked();

  protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    // Space or Return on the focused label clicks it; other keys go on to the window.
    void keyPressEvent(QKeyEvent *event) override;
    // The focus leaves the text drawn as it is: a plain label's own focus handling would
    // switch it to a text editor's drawing, a pixel off.
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

  private:
    void SetColour(const QColor &colour);

    HoverLook Look;
    QFont NormalFont;
    bool PressedInside = false;
};
