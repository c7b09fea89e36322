// A navy one-pixel outline with a transparent inside; it takes no mouse input.
#pragma once

#include <QPainter>
#include <QWidget>

// A one-pixel outline just inside `rect`, drawn as four filled strips so that at any scale
// it covers whole layout pixels.
void DrawFrame(QPainter &painter, const QRect &rect, const QColor &colour);

class Frame : public QWidget
{
  public:
    Frame(QWidget *parent, QRect geometry);

  protected:
    void paintEvent(QPaintEvent *event) override;
};
