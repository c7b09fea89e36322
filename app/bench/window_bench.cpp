// Timings of the board's busiest actions in the real main window, on the offscreen platform:
//   QT_QPA_PLATFORM=offscreen kelvane-window-bench
#include "main_window.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <memory>

namespace
{

std::unique_ptr<QTemporaryDir> Folder;

// An Ultra-sized window with `mines` mines and 24-pixel sectors.
std::unique_ptr<TfrmMain> UltraWindow(int32_t mines)
{
    MainWindowOptions options;
    options.SettingsFile = Folder->filePath("kelvane.ini");
    options.EngineLibrary = Folder->filePath("none.so");
    options.ShowError = [](const QString &) {};
    // Every press recorded and every finished game kept, as in play.
    options.HistoryFile = Folder->filePath("games.sqlite");
    auto window = std::make_unique<TfrmMain>(options);
    window->show();
    TGameState &game = window->Game();
    game.Level = 4;
    game.SizeX = 32;
    game.SizeY = 25;
    game.MaxX = 31;
    game.MaxY = 24;
    game.Mines = mines;
    game.TimedGame = 0;
    window->LayoutField();
    window->NewGame();
    return window;
}

void Press(TfrmMain &window, Qt::MouseButton button, int32_t c, int32_t r)
{
    window.pbImageMouseDown(button, Qt::NoButton, false, c * 24 + 12, r * 24 + 12);
}

// The whole 32 x 25 field is one zero region: 800 sectors opened and drawn, one present.
void OpenLargestZeroRegion(benchmark::State &state)
{
    auto window = UltraWindow(0);
    for (auto _ : state) {
        state.PauseTiming();
        window->NewGame();
        state.ResumeTiming();
        Press(*window, Qt::LeftButton, 16, 12);
    }
    if (window->Game().Live != 0) state.SkipWithError("the field did not open whole");
}
BENCHMARK(OpenLargestZeroRegion)->Unit(benchmark::kMicrosecond);

// A marker placed or removed, with the counter and the board presented.
void ToggleMarker(benchmark::State &state)
{
    auto window = UltraWindow(180);
    window->Rng.Seed(5);
    Press(*window, Qt::LeftButton, 0, 0);
    int32_t c = 31, r = 24;
    if (window->Game().State[KELVANE_SECTOR_INDEX(c, r)] != SECTOR_CLOSED)
        state.SkipWithError("the corner opened");
    for (auto _ : state)
        Press(*window, Qt::RightButton, c, r);
}
BENCHMARK(ToggleMarker)->Unit(benchmark::kMicrosecond);

// The whole board redrawn closed and presented, as at a new game.
void RedrawWholeField(benchmark::State &state)
{
    auto window = UltraWindow(180);
    for (auto _ : state)
        window->NewGame();
}
BENCHMARK(RedrawWholeField)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Folder = std::make_unique<QTemporaryDir>();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Folder.reset();
    return 0;
}
