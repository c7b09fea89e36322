#include "generate_command.h"

#include "command_args.h"

#include "engine_client.h"
#include "no_guess.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

const char GenerateUsage[] =
    "usage: kelvane-solve --generate W H MINES X Y [--fair-play] [--seed N] [--engine PATH]\n"
    "Prints a no-guess layout of W x H sectors (1 to 32 each) with MINES mines for a first\n"
    "press on column X, row Y (from 0): H lines of W characters, * a mine and . a free\n"
    "sector, then \"status Found attempts N seconds T\"; \"status NotFound ...\" (exit 3)\n"
    "when none is found within the budget, a count of the search's own work (about 2\n"
    "seconds on a desktop), so that the same seed gives the same board on any machine.\n"
    "  --fair-play     the four corner sectors hold no mine\n"
    "  --seed N        seed of the mine placement, 0 to 4294967295 (default: the clock)\n"
    "  --engine PATH   the engine library (default: kelvane.so beside this program)\n";

} // namespace

ProbabilityEngine *LoadEngine(const std::string &enginePath)
{
    const EngineLibraryHandle opened = OpenEngineLibrary(enginePath);
    if (opened.Result == EngineOpen::NotLoaded)
        std::fprintf(stderr, "kelvane-solve: cannot load the engine %s: %s\n", enginePath.c_str(),
                     opened.Reason.c_str());
    else if (opened.Result != EngineOpen::Opened)
        std::fprintf(stderr, "kelvane-solve: %s has no usable engine\n", enginePath.c_str());
    return opened.Engine;
}

int RunGenerate(int argc, char **argv, const std::string &defaultEngine)
{
    NoGuessRequest request;
    std::string enginePath = defaultEngine;
    bool seeded = false;
    uint32_t seed = 0;
    Positionals numbers{"--generate", {"W", "H", "MINES", "X", "Y"}};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long long value = 0;
        if (arg == "--generate") {
            continue;
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(GenerateUsage, stdout);
            return 0;
        } else if (arg == "--fair-play") {
            request.FairPlay = true;
        } else if (arg == "--seed") {
            if (!hasValue || !ParseNumber(argv[++i], 0, 4294967295LL, value))
                return BadArguments("--seed takes a number from 0 to 4294967295");
            seed = static_cast<uint32_t>(value);
            seeded = true;
        } else if (arg == "--engine") {
            if (!hasValue) return BadArguments("--engine takes a path");
            enginePath = argv[++i];
        } else if (IsOption(arg)) {
            return BadArguments("unknown option " + arg + " with --generate");
        } else if (const std::string why = numbers.Take(arg); !why.empty()) {
            return BadArguments(why);
        }
    }
    if (!numbers.Complete()) return BadArguments(numbers.Usage());
    const std::vector<long long> &field = numbers.Values;
    const auto text = [](long long v) { return std::to_string(v); };
    if (const std::string why = FieldSizeError(field[0], field[1]); !why.empty())
        return BadArguments(why);
    request.SizeX = static_cast<int32_t>(field[0]);
    request.SizeY = static_cast<int32_t>(field[1]);
    if (field[3] < 0 || field[3] >= field[0])
        return BadArguments("X must be 0 to " + text(field[0] - 1) + ", not " + text(field[3]));
    if (field[4] < 0 || field[4] >= field[1])
        return BadArguments("Y must be 0 to " + text(field[1] - 1) + ", not " + text(field[4]));
    request.Col = static_cast<int32_t>(field[3]);
    request.Row = static_cast<int32_t>(field[4]);
    const int32_t room = NoGuessCandidateCount(request);
    if (field[2] < 0 || field[2] > room)
        return BadArguments(
            "MINES must be 0 to " + text(room) + " (the press" +
            (request.FairPlay ? ", its neighbours and the corners" : " and its neighbours") +
            " stay free), not " + text(field[2]));
    request.Mines = static_cast<int32_t>(field[2]);

    ProbabilityEngine *engine = LoadEngine(enginePath);
    if (engine == nullptr) return 1;

    Random rng;
    if (seeded)
        rng.Seed(seed);
    else
        rng.SeedFromClock();
    const NoGuessBoard board = GenerateNoGuessBoard(*engine, rng, request);
    if (!board.Found) {
        std::printf("status NotFound attempts %d seconds %.6f\n", board.Attempts, board.Seconds);
        return 3;
    }
    std::string line(static_cast<size_t>(request.SizeX), '.');
    for (int32_t r = 0; r < request.SizeY; ++r) {
        for (int32_t c = 0; c < request.SizeX; ++c)
            line[static_cast<size_t>(c)] = board.Mined[KELVANE_SECTOR_INDEX(c, r)] ? '*' : '.';
        std::printf("%s\n", line.c_str());
    }
    std::printf("status Found attempts %d seconds %.6f\n", board.Attempts, board.Seconds);
    return 0;
}
