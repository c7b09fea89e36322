// The settings dialog: edits a working copy of the level, the custom field, the game
// options, the engine options and the sector size limit, loaded from the game record and
// the main window at every opening and handed back only when the player confirms.
#pragma once

#include "dialog_focus.h"
#include "dialog_parts.h"
#include "kelvane_engine.h"
#include "settings_controls.h"

#include <QDialog>
#include <QImage>
#include <cstdint>

class TfrmSettings : public QDialog
{
  public:
    // FormCreate runs here. The dialog reads game and maxScale at every opening and never
    // writes them. The pictures come from resourcePrefix + their name.
    TfrmSettings(const TGameState &game, const int32_t &maxScale, QWidget *mainWindow,
                 QWidget *parent = nullptr, const QString &resourcePrefix = QStringLiteral(":/"));
    ~TfrmSettings() override;

    static constexpr int ClientWidth = 502;
    static constexpr int ClientHeight = 328;

    // "Probability Display" can be switched only while the engine is loaded.
    void SetEngineLoaded(bool loaded) { engineLoaded = loaded; }

    // Writes the working copy into the record and the sector size limit. The probability
    // display stays off without the engine.
    void CommitTo(TGameState &game, int32_t &maxScale, bool engineLoaded) const;

    void setVisible(bool visible) override;

    // Tab's stops over the controls; the current one's name, empty before the first Tab.
    QString FocusedControl() const { return Keys.Current(); }

  protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

  private:
    void FormCreate(const QString &resourcePrefix);
    void FormShow();
    void FormPaint();
    void FormKeyPress(QKeyEvent *event);
    void FormDestroy();
    void AddKeyboardStops(TImage *const texts[8], TImage *const arrows[8]);

    void lblLevelClick(int32_t level);
    void lblTimedClick();
    void lblTrainerClick();
    void lblFairClick();
    void lblProbClick();
    void imgXMouseDown(Qt::MouseButton button, QPoint pos);
    void imgYMouseDown(Qt::MouseButton button, QPoint pos);
    void imgMinesMouseDown(Qt::MouseButton button, QPoint pos);
    void imgStepDepthMouseDown(Qt::MouseButton button, QPoint pos);
    void imgCalcModeMouseDown(Qt::MouseButton button);
    void imgDupCheckMouseDown(Qt::MouseButton button);
    void imgCombCheckMouseDown(Qt::MouseButton button);
    void imgScaleMouseDown(Qt::MouseButton button);
    void imgOKClick();
    void imgCancelClick();

    void ApplyLevel();
    void EnableFieldSpinners();
    void DisableFieldSpinners();
    void UpdateTimedBox();
    void UpdateTrainerBox();
    void UpdateFairBox();
    void UpdateProbBox();
    void ShowBox(TImage *image, bool on);
    // A left press above the arrow picture's middle row steps up, below it down.
    void StepByArrow(CUpDown &upDown, Qt::MouseButton button, QPoint pos);
    // The mine maximum follows the field size; lowering it lowers the count, never raises it.
    void UpdateMineMaximum();

    const TGameState &game;
    const int32_t &maxScale;
    QWidget *mainWindow;
    bool engineLoaded = false;

    // The working copy.
    int32_t Level = 1;
    bool TimedGame = false;
    bool TrainerMode = false;
    bool FairPlay = false;
    bool ProbDisplay = false;
    CUpDown udX, udY, udMines, udStepDepth;
    CListBox lbCalcMode, lbDupCheck, lbCombCheck, lbScale;

    QImage bmpBackground, bmpCheck0, bmpCheck1;

    TImage *imgLevel[5] = {};
    TImage *imgTimed = nullptr;
    TImage *imgTrainer = nullptr;
    TImage *imgFair = nullptr;
    TImage *imgProb = nullptr;
    TImage *imgX = nullptr;
    DialogFocus Keys{this};
};
