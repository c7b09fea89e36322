// A transparent label that reacts to clicks and colours itself under the pointer.
#pragma once

#include <QLabel>

enum class HoverLook {
    None,       // no hover look
    ColourOnly, // link and menu labels: purple under the pointer, style kept
    Underline,  // engine option labels: purple and underlined only under the pointer
};

class ClickLabel : public QLabel {
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

private:
    void SetColour(const QColor &colour);

    HoverLook Look;
    QFont NormalFont;
    bool PressedInside = false;
};
