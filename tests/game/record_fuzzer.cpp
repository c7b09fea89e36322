// Any text: no crash; a record that reads is written back to a text that reads to the same
// record and is written back unchanged, and its figures stay within their bounds.
#include "game_record.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace
{

void Require(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "record fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    GameRecord record;
    RecordError error;
    if (!ReadRecord(std::string_view(reinterpret_cast<const char *>(data), size), record, error)) {
        Require(error.Line >= 1 && !error.Reason.empty(), "a refusal without line or reason");
        return 0;
    }
    const std::string text = WriteRecord(record);
    GameRecord back;
    Require(ReadRecord(text, back, error), "a written record does not read");
    Require(back == record, "a written record reads back different");
    Require(WriteRecord(back) == text, "a written record writes back different");
    const GameFigures f = FiguresOf(record);
    Require(f.BbbvSolved >= 0 && f.BbbvSolved <= f.Bbbv && f.Bbbv >= 1, "3BV out of bounds");
    Require(f.EffectiveClicks <= f.Clicks, "more effective clicks than clicks");
    Require(record.End != GameEnd::Won || f.BbbvSolved == f.Bbbv, "a won game left 3BV");
    return 0;
}
