// The main window's life: creation, layout, first showing, closing and destruction.
#include "main_window.h"

#include "accessibility.h"
#include "artwork.h"
#include "best_dialog.h"
#include "file_layout.h"
#include "help_window.h"
#include "history_store.h"
#include "level_table.h"
#include "settings.h"
#include "settings_dialog.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QSignalBlocker>
#include <QUrl>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <new>

namespace
{
const char *const HomePageAddress = "https://kelvane.example.org/";
const char *const SponsorAddress = "https://www.example.org/";
const char *const SponsorName = "Example";
const QColor LabelNavy(0, 0, 128);
const QColor WindowCream(255, 251, 240);

QFont BoldPixels(QFont font, int pixels)
{
    font.setBold(true);
    font.setPixelSize(pixels);
    return font;
}
} // namespace

uint32_t ReadMillisecondClock()
{
    using namespace std::chrono;
    const auto now = steady_clock::now().time_since_epoch();
    return static_cast<uint32_t>(duration_cast<milliseconds>(now).count());
}

bool ScreenFits(QSize screen)
{
    return screen.width() >= 1024 && screen.height() >= 768;
}

MainWindowOptions DefaultMainWindowOptions()
{
    MainWindowOptions options;
    const FileLayout layout = LocateFiles(
        QCoreApplication::applicationFilePath().toStdString(), BuiltInstallFolders(),
        qEnvironmentVariable("XDG_CONFIG_HOME").toStdString(),
        qEnvironmentVariable("XDG_DATA_HOME").toStdString(), QDir::homePath().toStdString());
    options.SettingsFile = QString::fromStdString(layout.SettingsFile);
    options.EngineLibrary = QString::fromStdString(layout.EngineLibrary);
    options.HelpFolder = QString::fromStdString(layout.HelpFolder);
    options.MakeSettingsFolder = !layout.Portable;
    options.HistoryFile = QString::fromStdString(layout.HistoryFile);
    return options;
}

void TfrmMain::FreeAligned::operator()(TGameState *p) const
{
    std::free(p);
}

static TGameState *AllocateGameState()
{
    void *block = std::aligned_alloc(16, sizeof(TGameState));
    if (block == nullptr) throw std::bad_alloc();
    std::memset(block, 0, sizeof(TGameState));
    return static_cast<TGameState *>(block);
}

TfrmMain::TfrmMain(MainWindowOptions options)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                           Qt::MSWindowsFixedSizeDialogHint),
      Board(DisplayScale()), Options(std::move(options)), GameState(AllocateGameState()),
      Rules(*GameState, *this, Rng)
{
    if (!Options.ShowError)
        Options.ShowError = [this](const QString &text) {
            QMessageBox::critical(this, "Kelvane", text);
        };
    if (!Options.AskName)
        Options.AskName = [this](const QString &prompt, QString &name) {
            bool ok = false;
            const QString text =
                QInputDialog::getText(this, "Kelvane", prompt, QLineEdit::Normal, name, &ok);
            if (ok) name = text;
            return ok;
        };
    if (!Options.Clock) Options.Clock = ReadMillisecondClock;
    if (!Options.OpenUrl) Options.OpenUrl = QDesktopServices::openUrl;
    const QString recordFilter = "Kelvane games (*.kelvane-game);;All files (*)";
    if (!Options.AskOpenFile)
        Options.AskOpenFile = [recordFilter](QWidget *parent) {
            return QFileDialog::getOpenFileName(parent, "Open Game", QString(), recordFilter);
        };
    if (!Options.AskSaveFile)
        Options.AskSaveFile = [recordFilter](QWidget *parent, const QString &suggested) {
            return QFileDialog::getSaveFileName(parent, "Save Game", suggested, recordFilter);
        };

    setWindowTitle(QString("Kelvane %1 Edition").arg(SponsorName));
    setFixedSize(964, 660);
    setFocusPolicy(Qt::StrongFocus);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, WindowCream);
    palette.setColor(QPalette::WindowText, LabelNavy);
    setPalette(palette);
    // An 8-point sans face narrow enough for the panel's fixed value boxes: the wider
    // default face runs captions into their values.
    QFont font("Liberation Sans");
    font.setPixelSize(PixelsForPoints(8));
    setFont(font);
    setWindowIcon(QIcon(":/MAINICON"));

    CreateLayout();
    Driver = std::make_unique<EngineDriver>(*GameState, Board, *Stats,
                                            static_cast<EngineHost &>(*this), Options.Clock);
    FormCreate();

    frmSettings = new TfrmSettings(*GameState, MaxScale, this, this);
    frmBest = new TfrmBest(Best, this, this);
    if (!Options.HistoryFile.isEmpty()) {
        HistoryDb = std::make_unique<HistoryStore>(Options.HistoryFile);
        connect(HistoryDb.get(), &HistoryStore::Failed, this, &TfrmMain::TellHistoryFailure);
    }
    StatisticsItem->setEnabled(HistoryDb != nullptr);
}

void TfrmMain::CreateLayout()
{
    lblLeftName = new QLabel("Mines Left", this);
    lblLeftName->setFont(BoldPixels(font(), 16));
    lblLeftName->move(4, 6);
    lblLeftName->adjustSize();
    pbxLeft = new PaintBox(this, QRect(96, 4, 97, 25));

    imgNew = new ClickLabel(QString(), this, HoverLook::None);
    imgNew->setGeometry(376, 4, 25, 25);
    connect(imgNew, &ClickLabel::Clicked, this, &TfrmMain::lblNewGameClick);

    lblTimeName = new QLabel("Time", this);
    lblTimeName->setFont(BoldPixels(font(), 16));
    lblTimeName->move(632, 6);
    lblTimeName->adjustSize();
    pbxTime = new PaintBox(this, QRect(676, 4, 97, 25));

    pbImage = new BoardArea(this, QRect(4, 32, 769, 601), static_cast<BoardReading &>(*this));
    connect(pbImage, &PaintBox::Pressed, this, [this](QMouseEvent *event, bool doubleClick) {
        HideCursor();
        const QPoint at = event->position().toPoint();
        pbImageMouseDown(event->button(), event->buttons() & ~event->button(), doubleClick, at.x(),
                         at.y());
    });
    connect(pbImage, &PaintBox::Released, this, [this](QMouseEvent *) { pbImageMouseUp(); });
    connect(pbImage, &PaintBox::Left, this, &TfrmMain::pbImageMouseUp);

    sbStatus = new StatusLine(this);
    sbStatus->setGeometry(8, 640, 257, 13);

    QFont bold = font();
    bold.setBold(true);
    lblAuthor = new QLabel("Kelvane 1.0, by its developers", this);
    lblAuthor->setFont(bold);
    lblAuthor->move(312, 640);
    lblAuthor->adjustSize();

    QFont link = bold;
    link.setUnderline(true);
    lblHomePage = new ClickLabel("Kelvane Homepage", this, HoverLook::ColourOnly);
    lblHomePage->setFont(link);
    lblHomePage->move(592, 640);
    lblHomePage->adjustSize();
    connect(lblHomePage, &ClickLabel::Clicked, this, [this] { OpenLink(HomePageAddress); });
    lblTessel = new ClickLabel(SponsorName, this, HoverLook::ColourOnly);
    lblTessel->setFont(link);
    lblTessel->move(904, 640);
    lblTessel->adjustSize();
    connect(lblTessel, &ClickLabel::Clicked, this, [this] { OpenLink(SponsorAddress); });

    Stats = std::make_unique<StatsPanel>(this);
    connect(Stats->lblMode, &ClickLabel::Clicked, this, &TfrmMain::lblModeClick);
    connect(Stats->lblDepth, &ClickLabel::Clicked, this, &TfrmMain::lblDepthClick);
    connect(Stats->lblDupCheck, &ClickLabel::Clicked, this, &TfrmMain::lblDupCheckClick);
    connect(Stats->lblChMode, &ClickLabel::Clicked, this, &TfrmMain::lblChModeClick);
    connect(Stats->lblRecalc, &ClickLabel::Clicked, this, &TfrmMain::lblRecalcClick);
    pbxBar = new PaintBox(this, QRect(784, 476, 169, 17));

    new Frame(this, QRect(776, 504, 185, 129)); // shpMenu
    auto menuLabel = [this](const char *text, int top, std::function<void()> handler) {
        auto *label = new ClickLabel(text, this, HoverLook::ColourOnly);
        label->setFont(BoldPixels(font(), 16));
        label->move(784, top);
        label->adjustSize();
        connect(label, &ClickLabel::Clicked, this, handler);
        return label;
    };
    lblNewGame = menuLabel("New Game", 512, [this] { lblNewGameClick(); });
    lblLevel = menuLabel("Level...", 536, [this] { lblLevelClick(); });
    lblSettings = menuLabel("Settings", 560, [this] { lblSettingsClick(); });
    lblBestTimes = menuLabel("Best Times", 584, [this] { lblBestTimesClick(); });
    lblHelp = menuLabel("Help", 608, [this] { lblHelpClick(); });

    PopupMenu1 = new QMenu(this);
    for (int32_t level = 0; level < 4; ++level)
        PopupMenu1->addAction(LevelTable[level].Name, this, [this, level] { ChooseLevel(level); });
    PopupMenu1->addSeparator();
    NoGuessItem = PopupMenu1->addAction("No-Guess Boards");
    NoGuessItem->setCheckable(true);
    NoGuessItem->setEnabled(false); // until the engine is loaded
    connect(NoGuessItem, &QAction::toggled, this, [this](bool on) { NoGuess = on ? 1 : 0; });
    PopupMenu1->addSeparator();
    StatisticsItem = PopupMenu1->addAction("Statistics...", this, [this] { ShowStatistics(); });
    OpenGameItem = PopupMenu1->addAction("Open Game...", this, [this] { OpenGameClick(); });
    ReviewItem = PopupMenu1->addAction("Review Last Game...", this, [this] { ReviewLastGame(); });
    ReviewItem->setEnabled(false); // until the engine is loaded
    HintItem = PopupMenu1->addAction("Hint", this, [this] { ShowHint(); });
    HintItem->setEnabled(false);

    SetUpKeyboard();

    TimerCtl.setInterval(100);
    connect(&TimerCtl, &QTimer::timeout, this, &TfrmMain::TimerCtlTimer);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive)
                    ApplicationEvents1Activate();
                else
                    ApplicationEvents1Deactivate();
            });
}

// The help beside the program or in its installed data folder, never the current one.
void TfrmMain::lblHelpClick()
{
    OpenLink(
        QUrl::fromLocalFile(QDir(Options.HelpFolder).absoluteFilePath("index.htm")).toString());
}

void TfrmMain::FormCreate()
{
    Rng.SeedFromClock();
    Best.Clear();
    BoardWidth = pbImage->width();
    BoardHeight = pbImage->height();
    AppMinimized = AppInactive = ChordPreview = 0;
    MaxScale = 3;
    TGameState &game = *GameState;
    game.Active = 0;
    game.Live = 1;
    game.EngineBusy = 0;
    game.RecalcNeeded = 0;
    Stats->ShowRecalc(0);

    // Every image at the display's scale: the faces pixel for pixel, the background
    // resampled once.
    const int32_t scale = Board.Scale();
    bmpFace0 = AtScale(LoadArtwork(u"FACEBITMAP0"), scale, false);
    bmpFace1 = AtScale(LoadArtwork(u"FACEBITMAP1"), scale, false);
    bmpFace2 = AtScale(LoadArtwork(u"FACEBITMAP2"), scale, false);
    bmpMainBackground = AtScale(LoadArtwork(u"MAINBKGND"), scale, true);
    if (bmpMainBackground.isNull()) { // the window still works on its plain colour
        bmpMainBackground = ScaledCanvas(QSize(964, 660), scale);
        bmpMainBackground.fill(WindowCream);
    }
    bmpMainBackground = bmpMainBackground.convertToFormat(QImage::Format_RGB32);
    bmpTime = ScaledCanvas(QSize(97, 25), scale);
    bmpLeft = ScaledCanvas(QSize(97, 25), scale);
    bmpBar = ScaledCanvas(QSize(169, 17), scale);
    DrawProgressBar(0);
    ShowFace(bmpFace0);

    // The record starts as the default settings: Intermediate, everything on but Trainer.
    game.Level = 1;
    SetFieldSize(game, LevelTable[1].SizeX, LevelTable[1].SizeY, LevelTable[1].Mines);
    ApplyLoadedSettings();
}

void TfrmMain::ApplyLoadedSettings()
{
    MainWindowSettings window;
    window.Best = Best;
    window.MaxScale = MaxScale;
    const QString error = LoadSettings(Options.SettingsFile, *GameState, window);
    if (!error.isEmpty()) Options.ShowError(error);

    QList<QRect> screens;
    for (const QScreen *screen : QGuiApplication::screens())
        screens.append(screen->availableGeometry());
    const QScreen *primary = QGuiApplication::primaryScreen();
    move(KeepOnScreen(QPoint(window.Left, window.Top), frameGeometry().size(), screens,
                      primary != nullptr ? primary->availableGeometry() : QRect(0, 0, 1024, 768)));
    MaxScale = window.MaxScale;
    Best = window.Best;
    NoGuessItem->setChecked(window.NoGuess != 0);
}

void TfrmMain::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!Shown) {
        Shown = true;
        FormShow();
    }
}

void TfrmMain::FormShow()
{
    LoadEngine();
    Driver->Attach(Engine.Engine);
    if (!EngineLoaded()) GameState->ProbDisplay = 0;
    // No-guess boards are proven by the engine: without it the option shows off and cannot
    // be chosen, while the player's choice stays for the file and the repaired engine.
    if (!EngineLoaded()) {
        const QSignalBlocker keepChoice(NoGuessItem);
        NoGuessItem->setChecked(false);
    }
    NoGuessItem->setEnabled(EngineLoaded());
    ReviewItem->setEnabled(EngineLoaded());
    HintItem->setEnabled(EngineLoaded());
    frmSettings->SetEngineLoaded(EngineLoaded());
    LayoutField();
    NewGame();
    // The window itself holds the focus, so that the first keys reach the board rather
    // than the first menu label.
    setFocus(Qt::OtherFocusReason);
}

void TfrmMain::LoadEngine()
{
    const EngineLoad result = LoadEngineLibrary(Options.EngineLibrary, Engine);
    if (result != EngineLoad::Loaded) {
        UnloadEngineLibrary(Engine);
        Options.ShowError(EngineLoadMessage(result));
    }
}

void TfrmMain::SaveSettingsNow()
{
    MainWindowSettings window;
    window.Left = x();
    window.Top = y();
    window.MaxScale = MaxScale;
    window.Best = Best;
    window.NoGuess = NoGuess != 0 ? 1 : 0;
    // An installed program keeps its settings in the user's configuration folder, which
    // may not exist yet.
    QString error;
    if (Options.MakeSettingsFolder) error = MakeSettingsFolder(Options.SettingsFile);
    if (error.isEmpty()) error = SaveSettings(Options.SettingsFile, *GameState, window);
    if (!error.isEmpty()) Options.ShowError(error);
}

void TfrmMain::closeEvent(QCloseEvent *event)
{
    // Closing under a running engine would pull the record and the library from under it:
    // ask the engine to halt, and close once Calculate has returned.
    if (GameState->EngineBusy != 0) {
        Driver->RequestHalt();
        CloseWhenIdle = true;
        event->ignore();
        return;
    }
    AbandonGame();
    EndReplay();
    SaveSettingsNow();
    event->accept();
}

TfrmMain::~TfrmMain()
{
    KeepGradedGames();
    TimerCtl.stop();
    UnloadEngineLibrary(Engine);
}

void TfrmMain::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), bmpMainBackground);
    if (FocusFramed != nullptr && FocusFramed->isVisible())
        DrawFocusFrame(painter, FocusFramed->geometry());
}

void TfrmMain::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange) {
        if (isMinimized() && AppMinimized == 0)
            ApplicationEvents1Minimize();
        else if (!isMinimized() && AppMinimized != 0)
            ApplicationEvents1Restore();
    }
    QWidget::changeEvent(event);
}

// The desktop's "open" first; when nothing opens the address, the help in Kelvane's own
// window, and a web page's address shown to copy.
void TfrmMain::OpenLink(const QString &address)
{
    const QUrl url(address);
    if (Options.OpenUrl(url)) return;
    if (!url.isLocalFile()) {
        ShowAddressToCopy(url, this);
        return;
    }
    if (frmHelp == nullptr) {
        frmHelp = new HelpWindow(this);
        connect(frmHelp, &HelpWindow::WebLinkClicked, this, [this](const QUrl &page) {
            if (!Options.OpenUrl(page)) ShowAddressToCopy(page, frmHelp);
        });
    }
    frmHelp->ShowDocument(url);
}

void TfrmMain::lblSettingsClick()
{
    TGameState &game = *GameState;
    if (game.EngineBusy != 0) return;
    // The dialog shows and keeps the player's own Fair Play, not a replayed game's.
    const int32_t shownFairPlay = game.FairPlay;
    if (PlayerFairPlay >= 0) game.FairPlay = PlayerFairPlay;
    if (frmSettings->exec() != QDialog::Accepted) {
        game.FairPlay = shownFairPlay;
        return;
    }
    PlayerFairPlay = -1;
    AbandonGame();
    frmSettings->CommitTo(*GameState, MaxScale, EngineLoaded());
    SaveSettingsNow();
    LayoutField();
    NewGame();
}

void TfrmMain::lblBestTimesClick()
{
    frmBest->exec();
}
