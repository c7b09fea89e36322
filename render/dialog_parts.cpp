#include "dialog_parts.h"

#include "display_scale.h"
#include "frame.h"

#include <QFont>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

QPoint ModalDialogPosition(const QRect &mainFrame, const QSize &dialogFrame)
{
    return QPoint((mainFrame.left() + mainFrame.width() - dialogFrame.width()) >> 1,
                  (mainFrame.top() + mainFrame.height() - dialogFrame.height()) >> 1);
}

void PlaceModalDialog(QWidget *dialog, const QWidget *mainWindow)
{
    if (mainWindow == nullptr) return;
    dialog->move(ModalDialogPosition(mainWindow->frameGeometry(), dialog->frameGeometry().size()));
}

QImage LoadPicture(const QString &prefix, const QString &name)
{
    QImage picture;
    if (!picture.load(prefix + name)) return QImage();
    return picture;
}

QImage KeyedPicture(const QImage &picture)
{
    if (picture.isNull()) return picture;
    QImage keyed = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = KeyColour.rgb();
    for (int y = 0; y < keyed.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((row[x] | 0xff000000u) == key) row[x] = 0;
        }
    }
    return keyed;
}

TImage::TImage(QWidget *parent, const QString &name, const QRect &geometry) : QWidget(parent)
{
    setObjectName(name);
    setGeometry(geometry);
    setFixedSize(geometry.size());
}

void TImage::SetPicture(const QImage &newPicture)
{
    picture = newPicture;
    update();
}

QImage &TImage::Canvas()
{
    if (picture.isNull()) {
        picture = ScaledCanvas(size(), DisplayScale());
        picture.fill(Qt::white);
    }
    return picture;
}

void TImage::paintEvent(QPaintEvent *)
{
    if (picture.isNull()) return;
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
}

void TImage::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) leftPressed = true;
    if (OnMouseDown) OnMouseDown(event->button(), event->position().toPoint());
}

// The second press of a double click is a press like any other.
void TImage::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void TImage::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) return;
    const bool clicked = leftPressed && rect().contains(event->position().toPoint());
    leftPressed = false;
    if (clicked && OnClick) OnClick();
}

TLabel::TLabel(QWidget *parent, const QString &name, const QString &caption, const QFont &font,
               const QPoint &pos, const QSize &size)
    : QLabel(caption, parent)
{
    setObjectName(name);
    setFont(font);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAutoFillBackground(false);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, Navy);
    setPalette(colours);
    setContentsMargins(0, 0, 0, 0);
    setMargin(0);
    setIndent(0);
    move(pos);
    if (size.isValid())
        setFixedSize(size);
    else
        setFixedSize(QFontMetrics(font).size(Qt::TextSingleLine, caption));
}

void TLabel::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) leftPressed = true;
}

void TLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void TLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) return;
    const bool clicked = leftPressed && rect().contains(event->position().toPoint());
    leftPressed = false;
    if (clicked && OnClick) OnClick();
}

void DrawImageButton(TImage *image, const QString &caption)
{
    image->PenColor = Navy;
    image->PenWidth = 2;
    image->BrushColor = Cream;
    image->FontColor = Navy;
    image->FontBold = true;

    QImage &canvas = image->Canvas();
    const QRect box(QPoint(0, 0), image->size());
    QPainter painter(&canvas);
    // A 2-pixel pen on the line from 1 to width - 1 covers pixels 0 to width - 1: the frame
    // is the two outer rings of the box, filled, so it stays whole pixels at any scale.
    painter.fillRect(box, image->BrushColor);
    for (int ring = 0; ring < image->PenWidth; ++ring)
        DrawFrame(painter, box.adjusted(ring, ring, -ring, -ring), image->PenColor);

    QFont font = At96Dpi(painter.font());
    font.setBold(image->FontBold);
    painter.setFont(font);
    painter.setPen(image->FontColor);
    const QFontMetrics metrics = painter.fontMetrics();
    const int x = (box.width() - metrics.horizontalAdvance(caption)) >> 1;
    const int y = (box.height() - metrics.height()) >> 1;
    painter.drawText(x, y + metrics.ascent(), caption);
    painter.end();
    image->update();
}

QFont DialogLabelFont(bool bold)
{
    // The narrow metric-compatible sans face: the wide default face overruns the fixed
    // label widths ("Intermediate" in 65 pixels, the legend captions inside their group).
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setBold(bold);
    return font;
}

void UseProgramLook(QWidget *window)
{
    QPalette colours = window->palette();
    colours.setColor(QPalette::Window, Cream);
    colours.setColor(QPalette::WindowText, Navy);
    colours.setColor(QPalette::Text, Navy);
    colours.setColor(QPalette::ButtonText, Navy);
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::AlternateBase, Cream);
    colours.setColor(QPalette::Button, Cream);
    colours.setColor(QPalette::Highlight, Navy);
    colours.setColor(QPalette::HighlightedText, Cream);
    window->setPalette(colours);
    window->setAutoFillBackground(true);
    window->setFont(DialogLabelFont(false));
}
