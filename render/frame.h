// A navy one-pixel outline with a transparent inside; it takes no mouse input.
#pragma once

#include <QWidget>

class Frame : public QWidget {
public:
    Frame(QWidget *parent, QRect geometry);

protected:
    void paintEvent(QPaintEvent *event) override;
};
