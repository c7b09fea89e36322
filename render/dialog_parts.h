// The pieces both modal dialogs are built from: a picture component that can be drawn on
// and clicked, a transparent clickable text label, the drawn image buttons, picture loading
// and the placement rule for a modal dialog over the main window.
#pragma once

#include <QColor>
#include <QImage>
#include <QLabel>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>

inline const QColor Navy(0, 0, 128);
inline const QColor Cream(255, 251, 240);
// Pixels of this colour in a keyed picture are not drawn.
inline const QColor KeyColour(0, 255, 255);

// Where a modal dialog goes: (main left + main width - dialog width) >> 1, likewise for
// the top, from outer window sizes. Not centred over the main window: its left and top are
// halved with the rest.
QPoint ModalDialogPosition(const QRect &mainFrame, const QSize &dialogFrame);

// Moves the dialog by that rule; a dialog without a main window stays where it is.
void PlaceModalDialog(QWidget *dialog, const QWidget *mainWindow);

// Loads a picture by name from the program's resources (prefix ":/"), or from any other
// prefix a test gives. A failure gives a null image.
QImage LoadPicture(const QString &prefix, const QString &name);

// A copy of the picture in which every pixel of the key colour is fully transparent.
QImage KeyedPicture(const QImage &picture);

// A picture component at a fixed place and size. It shows its Picture from its top left
// corner; a null Picture shows nothing, so the window's background shows through. Code
// draws on it through Canvas() with the component's pen, brush and font colours.
class TImage : public QWidget
{
  public:
    TImage(QWidget *parent, const QString &name, const QRect &geometry);

    // The picture shown, replaced as a whole (a copy of a loaded picture).
    void SetPicture(const QImage &picture);
    const QImage &Picture() const { return picture; }

    // The drawing surface: the picture, first made the component's size when it is null.
    // Call update() after drawing.
    QImage &Canvas();

    QColor PenColor = Qt::black;
    int PenWidth = 1;
    QColor BrushColor = Qt::white;
    QColor FontColor = Qt::black;
    bool FontBold = false;

    // A press of any button, at a position inside the component.
    std::function<void(Qt::MouseButton button, QPoint pos)> OnMouseDown;
    // A left press and release on the component.
    std::function<void()> OnClick;

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    QImage picture;
    bool leftPressed = false;
};

// A text label with a transparent background, navy text, top left aligned, at a fixed place.
// Without a size it takes the size of its text.
class TLabel : public QLabel
{
  public:
    TLabel(QWidget *parent, const QString &name, const QString &caption, const QFont &font,
           const QPoint &pos, const QSize &size = QSize());

    // A left press and release on the label.
    std::function<void()> OnClick;

  protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

  private:
    bool leftPressed = false;
};

// Draws an image button once: a 2-pixel navy frame from (1, 1) to the image's width and
// height on cream, the caption bold and navy in the middle.
void DrawImageButton(TImage *image, const QString &caption);

// The dialogs' label face: a narrow sans-serif face, 11 pixels high.
QFont DialogLabelFont(bool bold);
// The look of the program's own windows built from Qt's widgets: cream and navy, the
// dialog font.
void UseProgramLook(QWidget *window);
