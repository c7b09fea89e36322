// libFuzzer target: kelvane-solve's reader fed arbitrary text. Whatever the bytes, reading
// ends (at the end of the text or at the first error), an error names a line that was read
// and a column on it, and every position read back is well formed and writes out to text
// that reads back as the same position.
#include "board_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace
{
using namespace kelvane::solver;

void Check(bool ok)
{
    if (!ok) __builtin_trap();
}

void CheckWellFormed(const Position &p)
{
    Check(p.Width >= 1 && p.Width <= 32 && p.Height >= 1 && p.Height <= 32);
    Check(p.Mines >= 0 && p.Mines <= p.Width * p.Height);
    const size_t cells = static_cast<size_t>(p.Width) * static_cast<size_t>(p.Height);
    Check(p.State.size() == cells && p.Number.size() == cells);
    for (size_t i = 0; i < cells; ++i) {
        Check(p.State[i] <= Cell::Triggered);
        Check(p.Number[i] >= 0 && p.Number[i] <= 8);
        if (p.State[i] != Cell::Open) Check(p.Number[i] == 0);
    }
}

void CheckRoundTrip(const Position &p)
{
    const std::string text = FormatPosition(p);
    std::istringstream again(text);
    int32_t lines = 0;
    Position back;
    back.FairPlay = p.FairPlay;
    TextError error;
    Check(ReadPosition(again, lines, back, error));
    Check(back.Width == p.Width && back.Height == p.Height && back.Mines == p.Mines);
    Check(back.State == p.State && back.Number == p.Number);
    Check(lines == p.Height + 1);

    // The answer grid has a row per row and a token per sector, whatever the values.
    std::vector<float> probability(p.State.size());
    for (size_t i = 0; i < probability.size(); ++i)
        probability[i] = static_cast<float>(i % 7) / 6.0f - (i % 5 == 0 ? 2.0f : 0.0f);
    const std::string grid = FormatProbabilities(p, probability);
    size_t rows = 0, spaces = 0;
    for (const char ch : grid) {
        rows += ch == '\n';
        spaces += ch == ' ';
    }
    Check(rows == static_cast<size_t>(p.Height));
    Check(spaces == static_cast<size_t>(p.Height) * static_cast<size_t>(p.Width - 1));
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const size_t totalLines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
    std::istringstream in(text);
    int32_t lineNumber = 0;
    int32_t previous = 0;
    for (;;) {
        Position position;
        position.FairPlay = size > 0 && (data[0] & 1);
        TextError error;
        const bool read = ReadPosition(in, lineNumber, position, error);
        Check(lineNumber >= previous && static_cast<size_t>(lineNumber) <= totalLines + 1);
        if (!read) {
            if (!error.Message.empty()) {
                Check(error.Line >= 1 && static_cast<size_t>(error.Line) <= totalLines + 1);
                Check(error.Column >= 1);
            }
            break;
        }
        // Every position takes a header line and its rows.
        Check(lineNumber - previous >= position.Height + 1);
        previous = lineNumber;
        CheckWellFormed(position);
        CheckRoundTrip(position);
    }
    return 0;
}
