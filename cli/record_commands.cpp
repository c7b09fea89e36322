#include "record_commands.h"

#include "command_args.h"

#include "board_text.h"
#include "game_record.h"
#include "game_review.h"
#include "generate_command.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

using kelvane::solver::FormatFixed;

namespace
{

// Reads FILE (or '-': standard input) as a record; says why not on standard error.
bool ReadRecordFile(const std::string &file, GameRecord &record)
{
    std::string text;
    if (file == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), {});
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "kelvane-solve: cannot open %s\n", file.c_str());
            return false;
        }
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    RecordError error;
    if (ReadRecord(text, record, error)) return true;
    std::fprintf(stderr, "kelvane-solve: %s:%d: %s\n", file.c_str(), error.Line,
                 error.Reason.c_str());
    return false;
}

// "result ... 3bv/s F": the figures of a game, shared by --figures and the review's summary.
std::string FiguresLine(const GameRecord &record)
{
    const GameFigures f = FiguresOf(record);
    double rate = 0.0;
    const std::string perSecond =
        f.BbbvPerSecond(record.Seconds, rate) ? FormatFixed(rate, 3) : std::string("-");
    return std::string("result ") + EndName(record.End) + " seconds " +
           FormatFixed(record.Seconds, 1) + " 3bv " + std::to_string(f.Bbbv) + " solved " +
           std::to_string(f.BbbvSolved) + " clicks " + std::to_string(f.Clicks) + " effective " +
           std::to_string(f.EffectiveClicks) + " ioe " + FormatFixed(f.Ioe(), 3) + " 3bv/s " +
           perSecond;
}

// A probability with six decimals, or "-" where there is none.
std::string Chance(double p)
{
    return p < 0.0 ? std::string("-") : FormatFixed(p, 6);
}

} // namespace

int RunFigures(int argc, char **argv)
{
    if (argc != 3 || std::strcmp(argv[1], "--figures") != 0) {
        std::fputs("kelvane-solve: --figures takes one record file, or - for standard input\n",
                   stderr);
        return 2;
    }
    GameRecord record;
    if (!ReadRecordFile(argv[2], record)) return 2;
    std::printf("%s\n", FiguresLine(record).c_str());
    return 0;
}

int RunReview(int argc, char **argv, const std::string &enginePath)
{
    std::string engineFile = enginePath;
    const char *file = nullptr;
    bool understood = true;
    for (int i = 1; i < argc && understood; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--review") == 0 && hasValue && file == nullptr)
            file = argv[++i];
        else if (std::strcmp(argv[i], "--engine") == 0 && hasValue)
            engineFile = argv[++i];
        else
            understood = false;
    }
    if (!understood || file == nullptr) {
        std::fputs("kelvane-solve: --review takes one record file, or - for standard input, "
                   "and may take --engine PATH\n",
                   stderr);
        return 2;
    }
    GameRecord record;
    if (!ReadRecordFile(file, record)) return 2;
    ProbabilityEngine *engine = LoadEngine(engineFile);
    if (engine == nullptr) return 1;

    const GameReview review = ReviewGame(*engine, record);
    for (size_t i = 0; i < record.Moves.size(); ++i) {
        const RecordedMove &move = record.Moves[i];
        const MoveReview &m = review.Moves[i];
        std::printf("%zu %u %s %d %d %s p %s min %s%s\n", i + 1, move.Ms, KindName(move.Kind),
                    move.X, move.Y, GradeName(m.Grade), Chance(m.P).c_str(),
                    Chance(m.Smallest).c_str(), m.Hit ? " hit" : "");
    }
    const ReviewFigures &f = review.Figures;
    const double luck = f.Luck();
    std::printf("summary %s guesses %d needless %d risky %d survival %s luck %s\n",
                FiguresLine(record).c_str(), f.Guesses, f.Needless, f.Risky,
                FormatFixed(f.Survival, 6).c_str(),
                std::isinf(luck) ? "inf" : FormatFixed(luck, 3).c_str());
    return 0;
}
