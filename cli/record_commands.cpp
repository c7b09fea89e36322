#include "figures_command.h"

#include "board_text.h"
#include "game_record.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

using kelvane::solver::FormatFixed;

bool FiguresRequested(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--figures") == 0) return true;
    return false;
}

int RunFigures(int argc, char **argv)
{
    if (argc != 3 || std::strcmp(argv[1], "--figures") != 0) {
        std::fputs("kelvane-solve: --figures takes one record file, or - for standard input\n",
                   stderr);
        return 2;
    }
    const std::string file = argv[2];
    std::string text;
    if (file == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), {});
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "kelvane-solve: cannot open %s\n", file.c_str());
            return 2;
        }
        text.assign(std::istreambuf_iterator<char>(in), {});
    }

    GameRecord record;
    RecordError error;
    if (!ReadRecord(text, record, error)) {
        std::fprintf(stderr, "kelvane-solve: %s:%d: %s\n", file.c_str(), error.Line,
                     error.Reason.c_str());
        return 2;
    }
    const GameFigures f = FiguresOf(record);
    double rate = 0.0;
    const std::string perSecond =
        f.BbbvPerSecond(record.Seconds, rate) ? FormatFixed(rate, 3) : std::string("-");
    std::printf("result %s seconds %s 3bv %d solved %d clicks %d effective %d ioe %s 3bv/s %s\n",
                EndName(record.End), FormatFixed(record.Seconds, 1).c_str(), f.Bbbv, f.BbbvSolved,
                f.Clicks, f.EffectiveClicks, FormatFixed(f.Ioe(), 3).c_str(), perSecond.c_str());
    return 0;
}
