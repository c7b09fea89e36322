#include "settings_dialog.h"

#include "display_scale.h"
#include "legend_art.h"
#include "level_table.h"
#include "setting_table.h"

#include <QKeyEvent>
#include <QPainter>

namespace
{

constexpr int LevelBoxTop[5] = {32, 48, 64, 80, 96};
constexpr const char *LevelLabelName[5] = {"lblBeginner", "lblIntermediate", "lblExpert",
                                           "lblUltra", "lblCustom"};
constexpr const char *LevelBoxName[5] = {"imgBeginner", "imgIntermediate", "imgExpert", "imgUltra",
                                         "imgCustom"};
constexpr const char *LevelCaption[5] = {"Beginner", "Intermediate", "Expert", "Ultra", "Custom"};

constexpr const char *LegendCaption[9] = {"Closed sector",
                                          "Closed sector, calculating probability",
                                          "Closed sector, probability calculated",
                                          "Mine marker",
                                          "Open sector, no mines around",
                                          "Open sector with mines around",
                                          "Mine triggered (Trainer Mode)",
                                          "Incorrect mine marker (Trainer Mode)",
                                          "Non-marked mine (game over)"};
constexpr int LegendTop[9] = {32, 50, 67, 85, 102, 120, 137, 155, 172};

const QSize BoxSize(16, 16);
const QSize ArrowSize(17, 21);
const QSize NumberSize(49, 21);
const QSize ListSize(105, 21);
const QSize ButtonSize(97, 25);

QString Text(const char *text)
{
    return QString::fromLatin1(text);
}

// Attaches a control to its text image with navy pen and text on cream, then draws it.
template <typename Control> void Attach(Control &control, TImage *image)
{
    control.Image = image;
    image->PenColor = Navy;
    image->FontColor = Navy;
    image->BrushColor = Cream;
    control.Redraw();
}

} // namespace

TfrmSettings::TfrmSettings(const TGameState &game, const int32_t &maxScale, QWidget *mainWindow,
                           QWidget *parent, const QString &resourcePrefix)
    : QDialog(parent), game(game), maxScale(maxScale), mainWindow(mainWindow)
{
    FormCreate(resourcePrefix);
}

TfrmSettings::~TfrmSettings()
{
    FormDestroy();
}

void TfrmSettings::FormCreate(const QString &resourcePrefix)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(ClientWidth, ClientHeight);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Cream);
    setPalette(colours);
    setAutoFillBackground(true);

    // Loading stops at the first picture that fails; the rest stay empty.
    // At the display's scale: the background resampled once, the small pictures pixel for
    // pixel so that their key colour and edges stay exact.
    const int32_t scale = DisplayScale();
    bmpBackground =
        AtScale(LoadPicture(resourcePrefix, QStringLiteral("SETTINGSBKGND")), scale, true);
    if (!bmpBackground.isNull()) {
        bmpCheck0 = AtScale(KeyedPicture(LoadPicture(resourcePrefix, QStringLiteral("CHECKBOX0"))),
                            scale, false);
        if (!bmpCheck0.isNull())
            bmpCheck1 =
                AtScale(KeyedPicture(LoadPicture(resourcePrefix, QStringLiteral("CHECKBOX1"))),
                        scale, false);
    }
    const QImage arrowUpDown =
        AtScale(LoadPicture(resourcePrefix, QStringLiteral("ARROWUPDOWN")), scale, false);
    const QImage arrowDown =
        AtScale(LoadPicture(resourcePrefix, QStringLiteral("ARROWDOWN")), scale, false);

    // The static texts; the group outlines belong to the background picture.
    const QFont regular = DialogLabelFont(false);
    const QFont bold = DialogLabelFont(true);
    new TLabel(this, QStringLiteral("lblLevel"), QStringLiteral("Level"), bold, QPoint(8, 8));
    new TLabel(this, QStringLiteral("lblField"), QStringLiteral("Field Parameters"), bold,
               QPoint(120, 8));
    new TLabel(this, QStringLiteral("lblLegend"), QStringLiteral("Legend"), bold, QPoint(280, 8));
    new TLabel(this, QStringLiteral("lblSettings"), QStringLiteral("Game Settings"), bold,
               QPoint(8, 128));
    new TLabel(this, QStringLiteral("lblPESettings"), QStringLiteral("Probability Engine Settings"),
               bold, QPoint(8, 224));
    new TLabel(this, QStringLiteral("lblHSize"), QStringLiteral("Horizontal size"), regular,
               QPoint(120, 32));
    new TLabel(this, QStringLiteral("lblVSize"), QStringLiteral("Vertical size"), regular,
               QPoint(120, 56));
    new TLabel(this, QStringLiteral("lblMines"), QStringLiteral("Mines to put"), regular,
               QPoint(120, 80));
    new TLabel(this, QStringLiteral("lblMaxSS"), QStringLiteral("Maximal Sector Size"), regular,
               QPoint(8, 192));
    new TLabel(this, QStringLiteral("lblCM"), QStringLiteral("Calculation Mode"), regular,
               QPoint(8, 248));
    new TLabel(this, QStringLiteral("lblDC"), QStringLiteral("Duplicate Checking"), regular,
               QPoint(8, 272));
    new TLabel(this, QStringLiteral("lblSD"), QStringLiteral("Step Depth"), regular,
               QPoint(280, 248));
    new TLabel(this, QStringLiteral("lblCC"), QStringLiteral("Comb. Checking"), regular,
               QPoint(280, 272));
    for (int i = 0; i < 9; ++i)
        new TLabel(this, QStringLiteral("lblLegend") + QString::number(i), Text(LegendCaption[i]),
                   regular, QPoint(304, LegendTop[i]));
    auto *imgLegend = new TImage(this, QStringLiteral("imgLegend"), QRect(280, 32, 17, 155));
    // Above scale 1 drawn afresh at the scale, so that its letters and digits stay sharp.
    imgLegend->SetPicture(
        scale > 1 ? KeyedPicture(DrawLegend(scale))
                  : KeyedPicture(LoadPicture(resourcePrefix, QStringLiteral("LEGEND"))));

    // Level and option boxes: the box and its caption react alike.
    for (int level = 0; level < 5; ++level) {
        imgLevel[level] = new TImage(this, Text(LevelBoxName[level]),
                                     QRect(QPoint(8, LevelBoxTop[level]), BoxSize));
        auto *label = new TLabel(this, Text(LevelLabelName[level]), Text(LevelCaption[level]),
                                 regular, QPoint(24, LevelBoxTop[level]));
        imgLevel[level]->OnClick = label->OnClick = [this, level] { lblLevelClick(level); };
    }
    struct OptionRow {
        TImage *&box;
        const char *boxName;
        const char *labelName;
        const char *caption;
        QPoint pos;
        void (TfrmSettings::*click)();
    };
    const OptionRow options[] = {
        {imgTimed, "imgTimed", "lblTimed", "Timed Game", {8, 152}, &TfrmSettings::lblTimedClick},
        {imgTrainer,
         "imgTrainer",
         "lblTrainer",
         "Trainer Mode",
         {8, 168},
         &TfrmSettings::lblTrainerClick},
        {imgFair, "imgFair", "lblFair", "Fair Play", {144, 152}, &TfrmSettings::lblFairClick},
        {imgProb,
         "imgProb",
         "lblProb",
         "Probability Display",
         {144, 168},
         &TfrmSettings::lblProbClick},
    };
    for (const OptionRow &row : options) {
        row.box = new TImage(this, Text(row.boxName), QRect(row.pos, BoxSize));
        auto *label = new TLabel(this, Text(row.labelName), Text(row.caption), regular,
                                 row.pos + QPoint(16, 0));
        const auto click = row.click;
        row.box->OnClick = label->OnClick = [this, click] { (this->*click)(); };
    }

    // Text images first, arrows after: an arrow overlapping its text image's last column
    // takes the presses there.
    auto *imgTxtX = new TImage(this, QStringLiteral("imgTxtX"), QRect(QPoint(200, 32), NumberSize));
    auto *imgTxtY = new TImage(this, QStringLiteral("imgTxtY"), QRect(QPoint(200, 56), NumberSize));
    auto *imgTxtMines =
        new TImage(this, QStringLiteral("imgTxtMines"), QRect(QPoint(200, 80), NumberSize));
    auto *imgTxtStepDepth =
        new TImage(this, QStringLiteral("imgTxtStepDepth"), QRect(QPoint(368, 248), ListSize));
    auto *imgTxtScale =
        new TImage(this, QStringLiteral("imgTxtScale"), QRect(QPoint(144, 192), ListSize));
    auto *imgTxtCalcMode =
        new TImage(this, QStringLiteral("imgTxtCalcMode"), QRect(QPoint(144, 248), ListSize));
    auto *imgTxtDupCheck =
        new TImage(this, QStringLiteral("imgTxtDupCheck"), QRect(QPoint(144, 272), ListSize));
    auto *imgTxtCombCheck =
        new TImage(this, QStringLiteral("imgTxtCombCheck"), QRect(QPoint(368, 272), ListSize));

    imgX = new TImage(this, QStringLiteral("imgX"), QRect(QPoint(248, 32), ArrowSize));
    auto *imgY = new TImage(this, QStringLiteral("imgY"), QRect(QPoint(248, 56), ArrowSize));
    auto *imgMines =
        new TImage(this, QStringLiteral("imgMines"), QRect(QPoint(248, 80), ArrowSize));
    auto *imgStepDepth =
        new TImage(this, QStringLiteral("imgStepDepth"), QRect(QPoint(472, 248), ArrowSize));
    for (TImage *arrow : {imgX, imgY, imgMines, imgStepDepth})
        arrow->SetPicture(arrowUpDown);
    auto *imgScale =
        new TImage(this, QStringLiteral("imgScale"), QRect(QPoint(248, 192), ArrowSize));
    auto *imgCalcMode =
        new TImage(this, QStringLiteral("imgCalcMode"), QRect(QPoint(248, 248), ArrowSize));
    auto *imgDupCheck =
        new TImage(this, QStringLiteral("imgDupCheck"), QRect(QPoint(248, 272), ArrowSize));
    auto *imgCombCheck =
        new TImage(this, QStringLiteral("imgCombCheck"), QRect(QPoint(472, 272), ArrowSize));
    for (TImage *arrow : {imgScale, imgCalcMode, imgDupCheck, imgCombCheck})
        arrow->SetPicture(arrowDown);

    imgX->OnMouseDown = [this](Qt::MouseButton b, QPoint p) { imgXMouseDown(b, p); };
    imgY->OnMouseDown = [this](Qt::MouseButton b, QPoint p) { imgYMouseDown(b, p); };
    imgMines->OnMouseDown = [this](Qt::MouseButton b, QPoint p) { imgMinesMouseDown(b, p); };
    imgStepDepth->OnMouseDown = [this](Qt::MouseButton b, QPoint p) {
        imgStepDepthMouseDown(b, p);
    };
    imgCalcMode->OnMouseDown = imgTxtCalcMode->OnMouseDown = [this](Qt::MouseButton b, QPoint) {
        imgCalcModeMouseDown(b);
    };
    imgDupCheck->OnMouseDown = imgTxtDupCheck->OnMouseDown = [this](Qt::MouseButton b, QPoint) {
        imgDupCheckMouseDown(b);
    };
    imgCombCheck->OnMouseDown = imgTxtCombCheck->OnMouseDown = [this](Qt::MouseButton b, QPoint) {
        imgCombCheckMouseDown(b);
    };
    imgScale->OnMouseDown =
        imgTxtScale->OnMouseDown = [this](Qt::MouseButton b, QPoint) { imgScaleMouseDown(b); };

    Level = DefaultLevel;

    // The spinners' ranges and first values are the settings' own.
    const auto bounds = [](CUpDown &spinner, Setting setting) {
        const SettingRow &row = RowOf(setting);
        spinner.Min = row.Min, spinner.Max = row.Max, spinner.Value = row.Default;
    };
    bounds(udX, Setting::SizeX);
    udX.Enabled = false;
    Attach(udX, imgTxtX);
    bounds(udY, Setting::SizeY);
    udY.Enabled = false;
    Attach(udY, imgTxtY);
    bounds(udMines, Setting::Mines);
    udMines.Max = MineLimit(udX.Value, udY.Value);
    udMines.Enabled = false;
    Attach(udMines, imgTxtMines);
    bounds(udStepDepth, Setting::StepDepth);
    udStepDepth.Enabled = true;
    udStepDepth.Align = AlignLeft;
    Attach(udStepDepth, imgTxtStepDepth);

    for (const char *name : CalculationModeNames)
        lbCalcMode.Items.append(Text(name));
    lbDupCheck.Items = {QStringLiteral("Disabled"), QStringLiteral("Enabled")};
    for (const char *name : CheckingModeNames)
        lbCombCheck.Items.append(Text(name));
    for (const char *name : MaxScaleNames)
        lbScale.Items.append(Text(name));
    const std::pair<CListBox *, TImage *> lists[] = {{&lbCalcMode, imgTxtCalcMode},
                                                     {&lbDupCheck, imgTxtDupCheck},
                                                     {&lbCombCheck, imgTxtCombCheck},
                                                     {&lbScale, imgTxtScale}};
    for (const auto &[list, image] : lists) {
        list->Align = AlignLeft;
        Attach(*list, image);
    }

    auto *imgOK = new TImage(this, QStringLiteral("imgOK"), QRect(QPoint(296, 300), ButtonSize));
    auto *imgCancel =
        new TImage(this, QStringLiteral("imgCancel"), QRect(QPoint(400, 300), ButtonSize));
    DrawImageButton(imgOK, QStringLiteral("OK"));
    DrawImageButton(imgCancel, QStringLiteral("Cancel"));
    imgOK->OnClick = [this] { imgOKClick(); };
    imgCancel->OnClick = [this] { imgCancelClick(); };

    TImage *const texts[8] = {imgTxtX,        imgTxtY,         imgTxtMines,    imgTxtScale,
                              imgTxtCalcMode, imgTxtStepDepth, imgTxtDupCheck, imgTxtCombCheck};
    TImage *const arrows[8] = {imgX,        imgY,         imgMines,    imgScale,
                               imgCalcMode, imgStepDepth, imgDupCheck, imgCombCheck};
    AddKeyboardStops(texts, arrows);
    Keys.Add({.Around = imgOK->geometry(), .Name = QStringLiteral("OK"), .Press = [this] {
                  imgOKClick();
              }});
    Keys.Add({.Around = imgCancel->geometry(), .Name = QStringLiteral("Cancel"), .Press = [this] {
                  imgCancelClick();
              }});
}

// The keys reach the controls through their mouse handlers: Space as a click on a box, Up
// and Down as a press on the upper or lower half of an arrow, or on a list.
void TfrmSettings::AddKeyboardStops(TImage *const texts[8], TImage *const arrows[8])
{
    for (int level = 0; level < 5; ++level)
        Keys.Add({.Around = QRect(imgLevel[level]->pos(), QSize(80, 16)),
                  .Name = Text(LevelCaption[level]),
                  .Press = [this, level] { lblLevelClick(level); },
                  .Role = QAccessible::RadioButton,
                  .Checked = [this, level] { return Level == level; }});
    const struct {
        TImage *box;
        const char *caption;
        bool TfrmSettings::*on;
    } boxes[] = {{imgTimed, "Timed Game", &TfrmSettings::TimedGame},
                 {imgTrainer, "Trainer Mode", &TfrmSettings::TrainerMode},
                 {imgFair, "Fair Play", &TfrmSettings::FairPlay},
                 {imgProb, "Probability Display", &TfrmSettings::ProbDisplay}};
    for (const auto &row : boxes)
        Keys.Add({.Around = QRect(row.box->pos(), QSize(120, 16)),
                  .Name = Text(row.caption),
                  .Press = row.box->OnClick,
                  .Role = QAccessible::CheckBox,
                  .Checked = [this, on = row.on] { return this->*on; }});
    // Each spinner or list shows either a number or one of its items.
    const struct {
        const char *name;
        const CUpDown *number;
        const CListBox *list;
    } shown[8] = {
        {"Horizontal size", &udX, nullptr},           {"Vertical size", &udY, nullptr},
        {"Mines to put", &udMines, nullptr},          {"Maximal Sector Size", nullptr, &lbScale},
        {"Calculation Mode", nullptr, &lbCalcMode},   {"Step Depth", &udStepDepth, nullptr},
        {"Duplicate Checking", nullptr, &lbDupCheck}, {"Comb. Checking", nullptr, &lbCombCheck}};
    for (int i = 0; i < 8; ++i) {
        TImage *arrow = arrows[i];
        // The pixel row above or below the arrow's middle, as a mouse press there.
        auto step = [arrow](int direction) {
            const int half = arrow->height() >> 1;
            arrow->OnMouseDown(Qt::LeftButton,
                               QPoint(arrow->width() / 2, direction > 0 ? half - 1 : half + 1));
        };
        DialogFocus::Stop stop{.Around = texts[i]->geometry() | arrow->geometry(),
                               .Name = Text(shown[i].name),
                               .Step = step};
        if (const CUpDown *number = shown[i].number) {
            stop.Role = QAccessible::SpinBox;
            stop.Value = [number] { return QString::number(number->Value); };
            stop.Enabled = [number] { return number->Enabled; };
        } else {
            const CListBox *list = shown[i].list;
            stop.Role = QAccessible::ComboBox;
            stop.Value = [list] {
                return list->Index >= 0 && list->Index < list->Items.size()
                           ? list->Items[list->Index]
                           : QString();
            };
            stop.Enabled = [list] { return list->Enabled; };
        }
        Keys.Add(std::move(stop));
    }
}

void TfrmSettings::setVisible(bool visible)
{
    const bool opening = visible && !isVisible();
    if (opening) FormShow();
    QDialog::setVisible(visible);
    // The frame is known only once the window exists; place again with its outer size.
    if (opening) PlaceModalDialog(this, mainWindow);
}

void TfrmSettings::FormShow()
{
    PlaceModalDialog(this, mainWindow);
    Keys.Reset();

    Level = game.Level;
    udX.Value = game.SizeX;
    udX.Clamp();
    udX.Redraw();
    udY.Value = game.SizeY;
    udY.Clamp();
    udY.Redraw();
    udMines.Max = MineLimit(udX.Value, udY.Value);
    udMines.Value = game.Mines;
    udMines.Clamp();
    udMines.Redraw();
    FairPlay = game.FairPlay != 0;
    TrainerMode = game.TrainerMode != 0;
    TimedGame = game.TimedGame != 0;
    ProbDisplay = game.ProbDisplay != 0;
    lbScale.Index = maxScale;
    lbScale.Redraw();
    lbCalcMode.Index = game.AdvancedMode != 0 ? 1 : 0;
    lbCalcMode.Redraw();
    udStepDepth.Value = game.StepDepth;
    udStepDepth.Clamp();
    udStepDepth.Redraw();
    lbDupCheck.Index = game.DupCheck != 0 ? 1 : 0;
    lbDupCheck.Redraw();
    lbCombCheck.Index = game.CheckingMode;
    lbCombCheck.Redraw();

    UpdateTimedBox();
    UpdateTrainerBox();
    UpdateFairBox();
    UpdateProbBox();
    ApplyLevel();
}

void TfrmSettings::ApplyLevel()
{
    if (Level < 0 || Level > LevelCustom) return;
    for (int level = 0; level <= LevelCustom; ++level)
        ShowBox(imgLevel[level], level == Level);
    if (Level == LevelCustom) {
        EnableFieldSpinners();
        return;
    }
    const LevelRow &row = LevelTable[Level];
    udX.Value = row.SizeX;
    udX.Clamp();
    udY.Value = row.SizeY;
    udY.Clamp();
    udMines.Max = MineLimit(row.SizeX, row.SizeY);
    udMines.Value = row.Mines;
    udMines.Clamp();
    udX.Redraw();
    udY.Redraw();
    udMines.Redraw();
    DisableFieldSpinners();
}

void TfrmSettings::EnableFieldSpinners()
{
    udX.Enabled = true;
    udY.Enabled = true;
    udMines.Enabled = true;
}

void TfrmSettings::DisableFieldSpinners()
{
    udX.Enabled = false;
    udY.Enabled = false;
    udMines.Enabled = false;
}

void TfrmSettings::ShowBox(TImage *image, bool on)
{
    image->SetPicture(on ? bmpCheck1 : bmpCheck0);
}

void TfrmSettings::UpdateTimedBox()
{
    ShowBox(imgTimed, TimedGame);
}

void TfrmSettings::UpdateTrainerBox()
{
    ShowBox(imgTrainer, TrainerMode);
}

void TfrmSettings::UpdateFairBox()
{
    ShowBox(imgFair, FairPlay);
}

// The step depth follows the calculation mode only here, not when the mode is cycled.
void TfrmSettings::UpdateProbBox()
{
    ShowBox(imgProb, ProbDisplay);
    lbCalcMode.Enabled = ProbDisplay;
    lbDupCheck.Enabled = ProbDisplay;
    lbCombCheck.Enabled = ProbDisplay;
    udStepDepth.Enabled = ProbDisplay && lbCalcMode.Index == 1;
}

void TfrmSettings::lblLevelClick(int32_t level)
{
    Level = level;
    ApplyLevel();
}

void TfrmSettings::lblTimedClick()
{
    TimedGame = !TimedGame;
    UpdateTimedBox();
}

void TfrmSettings::lblTrainerClick()
{
    TrainerMode = !TrainerMode;
    UpdateTrainerBox();
}

void TfrmSettings::lblFairClick()
{
    FairPlay = !FairPlay;
    UpdateFairBox();
}

void TfrmSettings::lblProbClick()
{
    if (!engineLoaded) return;
    ProbDisplay = !ProbDisplay;
    UpdateProbBox();
}

void TfrmSettings::StepByArrow(CUpDown &upDown, Qt::MouseButton button, QPoint pos)
{
    if (button != Qt::LeftButton || !upDown.Enabled) return;
    // All four arrow pictures share the height of the width's arrow.
    const int half = imgX->height() >> 1;
    if (pos.y() < half)
        upDown.StepUp();
    else if (pos.y() > half)
        upDown.StepDown();
}

void TfrmSettings::UpdateMineMaximum()
{
    udMines.Max = MineLimit(udX.Value, udY.Value);
    if (udMines.Value > udMines.Max) {
        udMines.Value = udMines.Max;
        udMines.Redraw();
    }
}

void TfrmSettings::imgXMouseDown(Qt::MouseButton button, QPoint pos)
{
    if (button != Qt::LeftButton || !udX.Enabled) return;
    StepByArrow(udX, button, pos);
    UpdateMineMaximum();
}

void TfrmSettings::imgYMouseDown(Qt::MouseButton button, QPoint pos)
{
    if (button != Qt::LeftButton || !udY.Enabled) return;
    StepByArrow(udY, button, pos);
    UpdateMineMaximum();
}

void TfrmSettings::imgMinesMouseDown(Qt::MouseButton button, QPoint pos)
{
    StepByArrow(udMines, button, pos);
}

void TfrmSettings::imgStepDepthMouseDown(Qt::MouseButton button, QPoint pos)
{
    StepByArrow(udStepDepth, button, pos);
}

void TfrmSettings::imgCalcModeMouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton) lbCalcMode.Cycle();
}

void TfrmSettings::imgDupCheckMouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton) lbDupCheck.Cycle();
}

void TfrmSettings::imgCombCheckMouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton) lbCombCheck.Cycle();
}

void TfrmSettings::imgScaleMouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton) lbScale.Cycle();
}

void TfrmSettings::imgOKClick()
{
    accept();
}

void TfrmSettings::imgCancelClick()
{
    reject();
}

void TfrmSettings::paintEvent(QPaintEvent *)
{
    FormPaint();
}

void TfrmSettings::FormPaint()
{
    QPainter painter(this);
    if (!bmpBackground.isNull()) painter.drawImage(0, 0, bmpBackground);
    Keys.Paint(painter);
}

void TfrmSettings::keyPressEvent(QKeyEvent *event)
{
    FormKeyPress(event);
}

// No control takes Qt's focus: the dialog moves its own frame over them. Escape cancels and
// Return confirms.
void TfrmSettings::FormKeyPress(QKeyEvent *event)
{
    event->accept();
    if (event->key() == Qt::Key_Escape)
        reject();
    else if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
             !event->isAutoRepeat())
        imgOKClick();
    else
        Keys.Key(event);
}

void TfrmSettings::FormDestroy()
{
    bmpBackground = QImage();
    bmpCheck0 = QImage();
    bmpCheck1 = QImage();
}

void TfrmSettings::CommitTo(TGameState &target, int32_t &targetMaxScale, bool engineIsLoaded) const
{
    target.Level = Level;
    target.SizeX = udX.Value;
    target.SizeY = udY.Value;
    target.MaxX = target.SizeX - 1;
    target.MaxY = target.SizeY - 1;
    target.Mines = udMines.Value;
    target.FairPlay = FairPlay ? 1 : 0;
    target.TrainerMode = TrainerMode ? 1 : 0;
    target.TimedGame = TimedGame ? 1 : 0;
    target.ProbDisplay = ProbDisplay && engineIsLoaded ? 1 : 0;
    target.AdvancedMode = lbCalcMode.Index == 1 ? 1 : 0;
    target.StepDepth = udStepDepth.Value;
    target.DupCheck = lbDupCheck.Index == 1 ? 1 : 0;
    target.CheckingMode = lbCombCheck.Index;
    targetMaxScale = lbScale.Index;
}
