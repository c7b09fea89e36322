// The display's share of a middle press: the engine corpus's play positions laid on the real
// main window (engine loaded, probabilities on), a middle press on a closed sector, timed
// from the press to the board presented with every probability drawn. Median, 99th
// percentile and largest time per level, in milliseconds of wall time and of this thread's
// processor time:
//   kelvane-display-bench [--scale S] [--corpus DIR] [--engine PATH] [benchmark options]
// The window is drawn at scale S (default 1) on the offscreen platform. ReviewOpens/<level>
// times the Review window of a whole game from the request to the window shown.
#include "bench_figures.h"
#include "board_text.h"
#include "display_scale.h"
#include "engine_object.h"
#include "level_table.h"
#include "main_window.h"
#include "random.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

using namespace kelvane::solver;

namespace
{

using bench::Percentile;
using bench::ThreadWorkMs;

std::string CorpusDir = KELVANE_CORPUS_DIR;
QString EnginePath;
std::unique_ptr<QTemporaryDir> Folder;

std::vector<Position> Load(const std::string &name)
{
    std::ifstream in(CorpusDir + "/" + name + ".txt");
    std::vector<Position> out;
    Position p;
    TextError error;
    int32_t line = 0;
    while (ReadPosition(in, line, p, error))
        out.push_back(p);
    return out;
}

// This thread's processor time: other work on the machine cannot swell it.
std::unique_ptr<TfrmMain> EngineWindow(bool history = false)
{
    MainWindowOptions options;
    options.SettingsFile = Folder->filePath("kelvane.ini");
    if (history) options.HistoryFile = Folder->filePath("games.sqlite");
    options.EngineLibrary = EnginePath;
    options.ShowError = [](const QString &) {};
    auto window = std::make_unique<TfrmMain>(options);
    window->show();
    return window;
}

// The position on the board as the player would see it, a game under way.
void ShowPosition(TfrmMain &window, const Position &position)
{
    TGameState &game = window.Game();
    game.Level = 4;
    game.SizeX = position.Width;
    game.SizeY = position.Height;
    game.MaxX = position.Width - 1;
    game.MaxY = position.Height - 1;
    game.Mines = position.Mines;
    window.LayoutField();
    window.NewGame();
    LoadPosition(game, position);
    game.Active = 1;
    game.Live = 1;
    game.ProbDisplay = 1;
    for (int32_t c = 0; c < position.Width; ++c)
        for (int32_t r = 0; r < position.Height; ++r) {
            const int32_t i = KELVANE_SECTOR_INDEX(c, r);
            if (game.State[i] == SECTOR_OPEN)
                window.Board.DrawOpenSector(c, r, game.Number[i]);
            else if (game.State[i] == SECTOR_MARKED)
                window.Board.DrawMarker(c, r);
        }
    window.pbImage->Present(window.Board.bmpField, window.Board.TakeChanged());
}

// The first closed sector next to an open number, or the first closed one.
QPoint PressPoint(const TfrmMain &window, const Position &position)
{
    int32_t chosen = -1;
    for (int32_t i = 0; i < position.Width * position.Height && chosen < 0; ++i) {
        if (position.State[i] != Cell::Closed) continue;
        const int32_t c = i % position.Width, r = i / position.Width;
        for (int32_t dc = -1; dc <= 1; ++dc)
            for (int32_t dr = -1; dr <= 1; ++dr) {
                const int32_t x = c + dc, y = r + dr;
                if (x >= 0 && y >= 0 && x < position.Width && y < position.Height &&
                    position.State[position.Index(x, y)] == Cell::Open)
                    chosen = i;
            }
    }
    if (chosen < 0) chosen = 0;
    const FieldGeometry &g = window.Board.Geometry;
    const int32_t c = chosen % position.Width, r = chosen / position.Width;
    return {g.FieldLeft + c * g.CellSize + g.CellSize / 2,
            g.FieldTop + r * g.CellSize + g.CellSize / 2};
}

void Click(QWidget *board, QPoint at, Qt::MouseButton button)
{
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), board->mapToGlobal(QPointF(at)),
                      button, button, Qt::NoModifier);
    QApplication::sendEvent(board, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), board->mapToGlobal(QPointF(at)),
                        button, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(board, &release);
}

void RunLevel(benchmark::State &state, const std::string &name)
{
    const std::vector<Position> positions = Load(name);
    auto window = EngineWindow();
    if (!window->EngineLoaded()) {
        state.SkipWithError("no engine library");
        return;
    }
    std::vector<double> best(positions.size(), 1e300), bestWork(positions.size(), 1e300);
    for (auto _ : state) {
        for (size_t i = 0; i < positions.size(); ++i) {
            ShowPosition(*window, positions[i]);
            const QPoint at = PressPoint(*window, positions[i]);
            QCoreApplication::processEvents();
            const double w0 = ThreadWorkMs();
            const auto t0 = std::chrono::steady_clock::now();
            Click(window->pbImage, at, Qt::MiddleButton);
            const auto t1 = std::chrono::steady_clock::now();
            bestWork[i] = std::min(bestWork[i], ThreadWorkMs() - w0);
            best[i] = std::min(best[i], std::chrono::duration<double, std::milli>(t1 - t0).count());
        }
    }
    state.counters["positions"] = static_cast<double>(positions.size());
    state.counters["scale"] = DisplayScale();
    state.counters["median_ms"] = Percentile(best, 0.5);
    state.counters["p99_ms"] = Percentile(best, 0.99);
    state.counters["max_ms"] = Percentile(best, 1.0);
    state.counters["cpu_median_ms"] = Percentile(bestWork, 0.5);
    state.counters["cpu_p99_ms"] = Percentile(bestWork, 0.99);
    state.counters["cpu_max_ms"] = Percentile(bestWork, 1.0);
}

// A whole game on a level, played in Trainer Mode by presses in a seeded random order until
// every safe sector is open (every press a new position), then the time from asking for its
// review until the Review window shows it: the last game (F4, graded when it ended) or a game
// graded on asking (from the Statistics window or a record file); then the time until the
// hints beside its guesses show (the last game's only the first time).
void ReviewOpens(benchmark::State &state, int32_t level, bool lastGame)
{
    auto window = EngineWindow(true);
    if (!window->EngineLoaded()) {
        state.SkipWithError("no engine library");
        return;
    }
    window->ChooseLevel(level);
    window->Rng.Seed(uint32_t(11 + level));
    TGameState &game = window->Game();
    game.TrainerMode = 1;
    game.TimedGame = 0;
    std::vector<int32_t> order(size_t(game.SizeX * game.SizeY));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int32_t(i);
    Random shuffle;
    shuffle.Seed(uint32_t(level + 1));
    for (size_t i = order.size() - 1; i > 0; --i)
        std::swap(order[i], order[shuffle.Below(uint32_t(i + 1))]);
    const FieldGeometry &g = window->Board.Geometry;
    int32_t moves = 0;
    for (const int32_t at : order) {
        const int32_t c = at % game.SizeX, r = at / game.SizeX;
        if (game.State[KELVANE_SECTOR_INDEX(c, r)] != SECTOR_CLOSED) continue;
        if (moves > 0 && game.Live == 0) break;
        const QPoint point(g.FieldLeft + c * g.CellSize + g.CellSize / 2,
                           g.FieldTop + r * g.CellSize + g.CellSize / 2);
        Click(window->pbImage, point, Qt::LeftButton);
        ++moves;
    }
    QCoreApplication::processEvents(); // the game graded and kept, as after its end
    const GameRecord record = window->CurrentRecord();
    std::vector<double> wall, hints;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        if (lastGame)
            window->ReviewLastGame(); // what F4 does
        else
            window->ReviewRecord(record);
        QWidget *review = window->findChild<QWidget *>("frmReview");
        while (review == nullptr || !review->isVisible()) {
            QCoreApplication::processEvents();
            review = window->findChild<QWidget *>("frmReview");
        }
        const auto shown = std::chrono::steady_clock::now();
        wall.push_back(std::chrono::duration<double, std::milli>(shown - t0).count());
        QCoreApplication::processEvents(); // the hints beside the guesses, once it shows
        hints.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - shown)
                .count());
        review->close();
    }
    state.counters["moves"] = moves;
    state.counters["median_ms"] = Percentile(wall, 0.5);
    state.counters["max_ms"] = Percentile(wall, 1.0);
    state.counters["hints_median_ms"] = Percentile(hints, 0.5);
    state.counters["hints_max_ms"] = Percentile(hints, 1.0);
}

void Register()
{
    for (int32_t level = 0; level < 4; ++level)
        for (const bool last : {true, false})
            benchmark::RegisterBenchmark(
                ("ReviewOpens/" + std::string(LevelTable[level].Name) +
                 (last ? "/last" : "/graded"))
                    .c_str(),
                [level, last](benchmark::State &s) { ReviewOpens(s, level, last); })
                ->Iterations(5)
                ->Unit(benchmark::kMillisecond);
    for (const char *name : {"beginner", "intermediate", "expert", "ultra"}) {
        std::string title = name;
        title[0] = static_cast<char>(title[0] - 'a' + 'A');
        benchmark::RegisterBenchmark(
            title.c_str(), [name = std::string(name)](benchmark::State &s) { RunLevel(s, name); })
            ->Iterations(3)
            ->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<char *> rest{argv[0]};
    int32_t scale = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc)
            scale = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--corpus") == 0 && i + 1 < argc)
            CorpusDir = argv[++i];
        else if (std::strcmp(argv[i], "--engine") == 0 && i + 1 < argc)
            EnginePath = QString::fromLocal8Bit(argv[++i]);
        else
            rest.push_back(argv[i]);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    PrepareScale(scale);
    int count = static_cast<int>(rest.size());
    QApplication app(count, rest.data());
    RestoreEnvironment();
    if (EnginePath.isEmpty()) EnginePath = QCoreApplication::applicationDirPath() + "/kelvane.so";
    Folder = std::make_unique<QTemporaryDir>();
    benchmark::Initialize(&count, rest.data());
    Register();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    Folder.reset();
    return 0;
}
