// kelvane-solve: the probabilities of a position read from a text file, computed by the
// engine library through the same contract the game uses.
#include "autoplay_command.h"
#include "board_text.h"
#include "command_args.h"
#include "engine_client.h"
#include "generate_command.h"
#include "record_commands.h"

#include "engine_object.h"
#include "file_layout.h"
#include "setting_table.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

using namespace kelvane::solver;

namespace
{

const char Usage[] =
    "usage: kelvane-solve [options] [FILE]\n"
    "       kelvane-solve --generate W H MINES X Y [--fair-play] [--seed N]\n"
    "       kelvane-solve --autoplay W H MINES --games N [--seed S] [--first X Y]\n"
    "                     [--opening] [--even] [--fair-play] [--threads T]\n"
    "       kelvane-solve --figures FILE\n"
    "       kelvane-solve --review FILE [--engine PATH]\n"
    "Reads a position (FILE, or standard input) and prints the mine probability of every\n"
    "closed sector.\n"
    "  --figures FILE  the result, 3BV, clicks, IOE and 3BV/s of a game record (FILE, or -\n"
    "                  for standard input)\n"
    "  --autoplay      N seeded games played to their end by the hint's move policy; prints\n"
    "                  the share won and the guesses per game\n"
    "  --review FILE   every move of a game record graded against the exact probabilities,\n"
    "                  and a summary with the guesses, survival and luck\n"
    "  --fair-play     the four corner sectors are known to be safe\n"
    "  --seed N        with --generate: the seed of the mine placement (default: the clock)\n"
    "  --simple        the \"Simple\" rule instead of exact probabilities\n"
    "  --no-dupcheck   count every sector on its own\n"
    "  --checking N    mine markers: 0 Minimal, 1 Optimal (default), 2 Maximal\n"
    "  --depth N       work budget 2^N steps, 20 to 30 (default 25)\n"
    "  --repeat N      run N times and report the fastest\n"
    "  --engine PATH   the engine library (default: kelvane.so beside this program, else\n"
    "                  the installed one)\n"
    "  --version       print the version and exit\n";

// Remembers the step budget the engine announces for the run.
struct BudgetWatch : EngineCallbacks {
    int32_t Budget = 0;
    void SetMaxCombinations(int32_t total, int32_t) override { Budget = total; }
};

// Nobody halts a run here, so a halted run ran out of something: a run stopped by its step
// budget has gone past it, one stopped by the engine's working memory has not.
const char *StatusText(const RunResult &run, int32_t budget)
{
    switch (run.End) {
    case RunEnd::Finished:
        return "Finished";
    case RunEnd::Halted:
        return run.Combinations > budget ? "Halted (step budget)" : "Halted (memory limit)";
    case RunEnd::Failed:
        break;
    }
    return "Error";
}

std::string OwnFolder()
{
    const std::string path = OwnExecutable();
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool ParseCount(const char *text, long min, long max, int32_t &out)
{
    long v = 0;
    const char *end = text + std::strlen(text);
    const auto [stop, ec] = std::from_chars(text, end, v);
    if (ec != std::errc() || stop != end || v < min || v > max) return false;
    out = static_cast<int32_t>(v);
    return true;
}

int BadUsage(const std::string &message)
{
    std::fprintf(stderr, "kelvane-solve: %s\n%s", message.c_str(), Usage);
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    bool fairPlay = false, simple = false, dupCheck = true;
    // The game's own defaults and bounds.
    const SettingRow &checkingRow = RowOf(Setting::CheckingMode);
    const SettingRow &depthRow = RowOf(Setting::StepDepth);
    int32_t checking = checkingRow.Default, depth = depthRow.Default, repeat = 1;
    std::string enginePath = EngineNear(OwnFolder(), BuiltToolFolders());
    const char *file = nullptr;
    if (OptionGiven(argc, argv, "--generate")) return RunGenerate(argc, argv, enginePath);
    if (OptionGiven(argc, argv, "--autoplay")) return RunAutoplay(argc, argv, enginePath);
    if (OptionGiven(argc, argv, "--figures")) return RunFigures(argc, argv);
    if (OptionGiven(argc, argv, "--review")) return RunReview(argc, argv, enginePath);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help" || arg == "-h") {
            std::fputs(Usage, stdout);
            return 0;
        } else if (arg == "--version") {
            std::printf("kelvane-solve %s\n", KELVANE_VERSION);
            return 0;
        } else if (arg == "--fair-play")
            fairPlay = true;
        else if (arg == "--simple")
            simple = true;
        else if (arg == "--no-dupcheck")
            dupCheck = false;
        else if (arg == "--checking") {
            if (!hasValue || !ParseCount(argv[++i], checkingRow.Min, checkingRow.Max, checking))
                return BadUsage("--checking takes 0, 1 or 2");
        } else if (arg == "--depth") {
            if (!hasValue || !ParseCount(argv[++i], depthRow.Min, depthRow.Max, depth))
                return BadUsage("--depth takes a number from " + std::to_string(depthRow.Min) +
                                " to " + std::to_string(depthRow.Max));
        } else if (arg == "--repeat") {
            if (!hasValue || !ParseCount(argv[++i], 1, 1000000, repeat))
                return BadUsage("--repeat takes a positive number");
        } else if (arg == "--engine") {
            if (!hasValue) return BadUsage("--engine takes a path");
            enginePath = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            return BadUsage("unknown option " + arg);
        } else if (file == nullptr) {
            file = argv[i];
        } else {
            return BadUsage("only one input file may be given");
        }
    }

    Position position;
    position.FairPlay = fairPlay;
    TextError error;
    int32_t lineNumber = 0;
    bool read = false;
    if (file != nullptr) {
        std::ifstream in(file);
        if (!in) {
            std::fprintf(stderr, "kelvane-solve: cannot open %s\n", file);
            return 2;
        }
        read = ReadPosition(in, lineNumber, position, error);
    } else {
        read = ReadPosition(std::cin, lineNumber, position, error);
    }
    if (!read) {
        if (error.Message.empty()) error = {lineNumber + 1, 1, "expected WIDTH HEIGHT MINES"};
        std::fprintf(stderr, "kelvane-solve: line %d, column %d: %s\n", error.Line, error.Column,
                     error.Message.c_str());
        return 2;
    }

    ProbabilityEngine *engine = LoadEngine(enginePath);
    if (engine == nullptr) return 1;

    BudgetWatch watch;
    EngineSession session(*engine, &watch);
    TGameState &game = session.Game();
    LoadPosition(game, position);
    game.Level = 4;
    SetEngineOptions(game, {!simple, dupCheck, checking, depth});
    game.Active = game.Live = game.ProbDisplay = 1;
    session.Attach();

    double fastest = std::numeric_limits<double>::infinity();
    RunResult run;
    for (int32_t pass = 0; pass < repeat; ++pass) {
        LoadPosition(game, position);
        const auto t0 = std::chrono::steady_clock::now();
        run = session.Run(0, 0);
        const auto t1 = std::chrono::steady_clock::now();
        fastest = std::min(fastest, std::chrono::duration<double>(t1 - t0).count());
    }
    const char *status = StatusText(run, watch.Budget);

    std::vector<float> probability(position.State.size(), -1.0f);
    for (int32_t c = 0; c < position.Width; ++c)
        for (int32_t r = 0; r < position.Height; ++r)
            probability[position.Index(c, r)] = game.Prob[KELVANE_SECTOR_INDEX(c, r)];
    std::fputs(FormatProbabilities(position, probability).c_str(), stdout);
    std::printf("status %s combinations %d seconds %s\n", status, run.Combinations,
                FormatFixed(fastest, 6).c_str());
    return 0;
}
