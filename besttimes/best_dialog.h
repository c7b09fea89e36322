// The best-times dialog: the four records of the main window's table, a reset and an OK
// button, shown modally over the main window.
#pragma once

#include "best_times.h"
#include "dialog_focus.h"
#include "dialog_parts.h"

#include <QDialog>
#include <QImage>

class TfrmBest : public QDialog
{
  public:
    // FormCreate runs here. The pictures come from resourcePrefix + their name.
    TfrmBest(BestTimes &table, QWidget *mainWindow, QWidget *parent = nullptr,
             const QString &resourcePrefix = QStringLiteral(":/"));
    ~TfrmBest() override;

    static constexpr int ClientWidth = 312;
    static constexpr int ClientHeight = 156;

    void setVisible(bool visible) override;

    // Shows the table's current values in the four rows.
    void RefreshScores();

    // The button Tab's frame is on, empty before the first Tab.
    QString FocusedControl() const { return Keys.Current(); }

  protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void FormCreate(const QString &resourcePrefix);
    void FormShow();
    void FormPaint();
    void FormKeyPress(QKeyEvent *event);
    void imgOKClick();
    void imgResetClick();
    void FormDestroy();

    BestTimes &table;
    QWidget *mainWindow;
    QImage bmpBackground;

    TLabel *lblTime[4] = {};
    TLabel *lblName[4] = {};
    TImage *imgReset = nullptr;
    TImage *imgOK = nullptr;
    DialogFocus Keys{this};
};
