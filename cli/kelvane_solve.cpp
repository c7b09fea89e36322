// kelvane-solve: the probabilities of a position read from a text file, computed by the
// engine library through the same contract the game uses.
#include "board_text.h"
#include "generate_command.h"

#include "engine_object.h"
#include "file_layout.h"

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
    "Reads a position (FILE, or standard input) and prints the mine probability of every\n"
    "closed sector.\n"
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

// The front end's sink: it shows nothing, and remembers how the run ended.
struct QuietSink {
    EngineEvents Base;
    TGameState *Game = nullptr;
    const char *Status = "Error";
};

QuietSink *Of(EngineEvents *self)
{
    return reinterpret_cast<QuietSink *>(self);
}
void Nothing2(EngineEvents *, int32_t, int32_t) {}
void Nothing0(EngineEvents *) {}
void Nothing3(EngineEvents *, int32_t, int32_t, int32_t) {}
void NothingProgress(EngineEvents *, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void OnError(EngineEvents *self)
{
    Of(self)->Status = "Error";
}
void OnDone(EngineEvents *self)
{
    Of(self)->Status = Of(self)->Game->HaltRequest != 0 ? "Halted" : "Finished";
}

const EngineEventsTable QuietTable = {Nothing2, Nothing2, Nothing0, Nothing3,
                                      Nothing3, Nothing0, Nothing2, NothingProgress,
                                      OnError,  OnDone,   Nothing0};

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
    int32_t checking = 1, depth = 25, repeat = 1;
    std::string enginePath = EngineNear(OwnFolder(), BuiltToolFolders());
    const char *file = nullptr;
    if (GenerateRequested(argc, argv)) return RunGenerate(argc, argv, enginePath);
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
            if (!hasValue || !ParseCount(argv[++i], 0, 2, checking))
                return BadUsage("--checking takes 0, 1 or 2");
        } else if (arg == "--depth") {
            if (!hasValue || !ParseCount(argv[++i], 20, 30, depth))
                return BadUsage("--depth takes a number from 20 to 30");
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

    alignas(16) static TGameState game;
    std::memset(&game, 0, sizeof game);
    LoadPosition(game, position);
    game.Level = 4;
    game.AdvancedMode = simple ? 0 : 1;
    game.DupCheck = dupCheck ? 1 : 0;
    game.CheckingMode = checking;
    game.StepDepth = depth;
    game.Active = game.Live = game.ProbDisplay = 1;

    QuietSink sink;
    sink.Base.vtbl = &QuietTable;
    sink.Game = &game;
    engine->vtbl->Attach(engine, &game, &sink.Base);

    double fastest = std::numeric_limits<double>::infinity();
    int32_t combinations = 0;
    for (int32_t run = 0; run < repeat; ++run) {
        LoadPosition(game, position);
        game.EngineBusy = 1;
        game.HaltRequest = 0;
        sink.Status = "Error";
        const auto t0 = std::chrono::steady_clock::now();
        combinations = engine->vtbl->Calculate(engine, 0, 0);
        const auto t1 = std::chrono::steady_clock::now();
        game.EngineBusy = 0;
        fastest = std::min(fastest, std::chrono::duration<double>(t1 - t0).count());
    }

    std::vector<float> probability(position.State.size(), -1.0f);
    for (int32_t c = 0; c < position.Width; ++c)
        for (int32_t r = 0; r < position.Height; ++r)
            probability[position.Index(c, r)] = game.Prob[KELVANE_SECTOR_INDEX(c, r)];
    std::fputs(FormatProbabilities(position, probability).c_str(), stdout);
    std::printf("status %s combinations %d seconds %s\n", sink.Status, combinations,
                FormatFixed(fastest, 6).c_str());
    return 0;
}
