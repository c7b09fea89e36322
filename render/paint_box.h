// A box that shows an off-screen image at (0, 0) and reports the mouse to its owner.
#pragma once

#include <QImage>
#include <QWidget>

class PaintBox : public QWidget {
    Q_OBJECT
public:
    PaintBox(QWidget *parent, QRect geometry, const QImage *image = nullptr);
    void SetImage(const QImage *image);

signals:
    void Pressed(QMouseEvent *event, bool doubleClick);
    void Released(QMouseEvent *event);
    void Left();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    const QImage *Image;
};
