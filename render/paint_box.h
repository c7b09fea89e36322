// A box that shows an off-screen image at (0, 0) and reports the mouse to its owner.
#pragma once

#include <QImage>
#include <QWidget>

class PaintBox : public QWidget
{
    Q_OBJECT
  public:
    PaintBox(QWidget *parent, QRect geometry);
    // Copies the image to the box and shows it now; until the next call the box keeps
    // showing this copy, whatever is drawn into the image meanwhile. With `changed` (layout
    // pixels) only that part is copied and shown again: the rest is known to be the same.
    void Present(const QImage &image);
    void Present(const QImage &image, const QRect &changed);
    const QImage &Shown() const { return Image; }
    // A frame drawn over the shown image around a layout-pixel rectangle (the keyboard
    // cursor); a null rectangle draws none. It never enters the image.
    void ShowFrame(const QRect &around);
    QRect FrameShown() const { return FrameRect; }

  signals:
    void Pressed(QMouseEvent *event, bool doubleClick);
    void Released(QMouseEvent *event);
    // The pointer left the box: with no button held (the platform's leave), or dragged
    // out with a button held, when the box keeps the mouse and hears of no leave.
    void Left();

  protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

  private:
    QImage Image;
    QRect FrameRect;
    bool DraggedOut = false; // the pointer left the box with a button held
};
