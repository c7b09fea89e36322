#include "best_dialog.h"

#include "display_scale.h"
#include "level_table.h"

#include <QKeyEvent>
#include <QPainter>

namespace
{

constexpr int RowTop[4] = {32, 56, 80, 104};
constexpr int ModeLeft = 8, TimeLeft = 88, NameLeft = 184;
const QSize ModeSize(65, 13), TimeSize(81, 13), NameSize(121, 13);

} // namespace

TfrmBest::TfrmBest(BestTimes &table, QWidget *mainWindow, QWidget *parent,
                   const QString &resourcePrefix)
    : QDialog(parent), table(table), mainWindow(mainWindow)
{
    FormCreate(resourcePrefix);
}

TfrmBest::~TfrmBest()
{
    FormDestroy();
}

void TfrmBest::FormCreate(const QString &resourcePrefix)
{
    setObjectName(QStringLiteral("frmBest"));
    setWindowTitle(QStringLiteral("Best Times"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(ClientWidth, ClientHeight);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Cream);
    setPalette(colours);
    setAutoFillBackground(true);

    // A missing picture leaves the plain cream dialog.
    bmpBackground =
        AtScale(LoadPicture(resourcePrefix, QStringLiteral("BESTBKGND")), DisplayScale(), true);

    const QFont regular = DialogLabelFont(false);
    const QFont bold = DialogLabelFont(true);
    new TLabel(this, QStringLiteral("lblMode"), QStringLiteral("Level"), bold, QPoint(ModeLeft, 8),
               ModeSize);
    new TLabel(this, QStringLiteral("lblTime"), QStringLiteral("Time"), bold, QPoint(TimeLeft, 8),
               TimeSize);
    new TLabel(this, QStringLiteral("lblName"), QStringLiteral("Name"), bold, QPoint(NameLeft, 8),
               NameSize);
    for (int level = 0; level < 4; ++level) {
        const QString row = QString::number(level);
        new TLabel(this, QStringLiteral("lblMode") + row,
                   QString::fromLatin1(LevelTable[level].Name), regular,
                   QPoint(ModeLeft, RowTop[level]), ModeSize);
        lblTime[level] = new TLabel(this, QStringLiteral("lblTime") + row, QString(), regular,
                                    QPoint(TimeLeft, RowTop[level]), TimeSize);
        lblName[level] = new TLabel(this, QStringLiteral("lblName") + row, QString(), regular,
                                    QPoint(NameLeft, RowTop[level]), NameSize);
        // Names are the players' own text, never markup.
        lblName[level]->setTextFormat(Qt::PlainText);
    }

    imgReset = new TImage(this, QStringLiteral("imgReset"), QRect(4, 128, 97, 25));
    imgOK = new TImage(this, QStringLiteral("imgOK"), QRect(212, 128, 97, 25));
    DrawImageButton(imgOK, QStringLiteral("OK"));
    DrawImageButton(imgReset, QStringLiteral("Reset Scores"));
    imgOK->OnClick = [this] { imgOKClick(); };
    imgReset->OnClick = [this] { imgResetClick(); };
    Keys.Add({.Around = imgReset->geometry(),
              .Name = QStringLiteral("Reset Scores"),
              .Press = [this] { imgResetClick(); }});
    Keys.Add({.Around = imgOK->geometry(), .Name = QStringLiteral("OK"), .Press = [this] {
                  imgOKClick();
              }});
}

void TfrmBest::setVisible(bool visible)
{
    const bool opening = visible && !isVisible();
    if (opening) FormShow();
    QDialog::setVisible(visible);
    // The frame is known only once the window exists; place again with its outer size.
    if (opening) PlaceModalDialog(this, mainWindow);
}

void TfrmBest::FormShow()
{
    PlaceModalDialog(this, mainWindow);
    Keys.Reset();
    RefreshScores();
}

void TfrmBest::RefreshScores()
{
    const QChar point = LocaleDecimalPoint();
    for (int level = 0; level < 4; ++level) {
        lblTime[level]->setText(FormatBestTime(table.BestTime[level], point) +
                                QStringLiteral(" seconds"));
        lblName[level]->setText(table.BestName[level]);
    }
}

void TfrmBest::paintEvent(QPaintEvent *)
{
    FormPaint();
}

void TfrmBest::FormPaint()
{
    QPainter painter(this);
    if (!bmpBackground.isNull()) painter.drawImage(0, 0, bmpBackground);
    Keys.Paint(painter);
}

void TfrmBest::keyPressEvent(QKeyEvent *event)
{
    FormKeyPress(event);
}

// No control takes Qt's focus, so every key lands here: Escape and Return close, Tab moves
// the frame over the two buttons and Space presses the framed one.
void TfrmBest::FormKeyPress(QKeyEvent *event)
{
    event->accept();
    if (event->key() == Qt::Key_Escape)
        accept();
    else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
             !event->isAutoRepeat())
        imgOKClick();
    else
        Keys.Key(event);
}

void TfrmBest::imgOKClick()
{
    accept();
}

void TfrmBest::imgResetClick()
{
    table.Clear();
    RefreshScores();
}

void TfrmBest::FormDestroy()
{
    bmpBackground = QImage();
}
