#include "board_text.h"

#include <charconv>
#include <sstream>

namespace kelvane::solver
{
namespace
{

bool NextLine(std::istream &in, int32_t &lineNumber, std::string &line)
{
    while (std::getline(in, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '#') continue;
        return true;
    }
    return false;
}

bool Fail(TextError &error, int32_t line, int32_t column, std::string message)
{
    error = {line, column, std::move(message)};
    return false;
}

// Reads a whole number at text[at], moving at past it.
bool ReadNumber(const std::string &text, size_t &at, long long &value)
{
    size_t end = at;
    if (end < text.size() && text[end] == '-') ++end;
    const size_t digits = end;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9' && end - digits < 12)
        ++end;
    if (end == digits) return false;
    std::from_chars(text.data() + at, text.data() + end, value);
    at = end;
    return true;
}

} // namespace

bool ReadPosition(std::istream &in, int32_t &lineNumber, Position &position, TextError &error)
{
    error = {};
    std::string line;
    do {
        if (!NextLine(in, lineNumber, line)) return false;
    } while (line.find_first_not_of(" \t") == std::string::npos);

    const char *names[3] = {"width", "height", "mine count"};
    long long values[3] = {};
    size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        const size_t start = at;
        while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
            ++at;
        if (i > 0 && at == start)
            return Fail(error, lineNumber, static_cast<int32_t>(at + 1),
                        std::string("expected a space before the ") + names[i]);
        if (!ReadNumber(line, at, values[i]))
            return Fail(error, lineNumber, static_cast<int32_t>(at + 1),
                        std::string("expected the ") + names[i] + " as a whole number");
    }
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    if (at != line.size())
        return Fail(error, lineNumber, static_cast<int32_t>(at + 1),
                    "unexpected text after WIDTH HEIGHT MINES");
    if (values[0] < 1 || values[0] > 32)
        return Fail(error, lineNumber, 1, "the width must be 1 to 32");
    if (values[1] < 1 || values[1] > 32)
        return Fail(error, lineNumber, 1, "the height must be 1 to 32");
    if (values[2] < 0 || values[2] > values[0] * values[1])
        return Fail(error, lineNumber, 1, "the mine count must be 0 to WIDTH x HEIGHT");

    Position p;
    p.Width = static_cast<int32_t>(values[0]);
    p.Height = static_cast<int32_t>(values[1]);
    p.Mines = static_cast<int32_t>(values[2]);
    p.FairPlay = position.FairPlay;
    p.State.assign(static_cast<size_t>(p.Width) * p.Height, Cell::Closed);
    p.Number.assign(p.State.size(), 0);
    for (int32_t r = 0; r < p.Height; ++r) {
        if (!NextLine(in, lineNumber, line))
            return Fail(error, lineNumber + 1, 1,
                        "expected " + std::to_string(p.Height) + " rows, found " +
                            std::to_string(r));
        for (int32_t c = 0; c < p.Width; ++c) {
            if (static_cast<size_t>(c) >= line.size())
                return Fail(error, lineNumber, c + 1,
                            "the row is shorter than " + std::to_string(p.Width) + " sectors");
            const char ch = line[c];
            const int32_t i = p.Index(c, r);
            if (ch == '.')
                p.State[i] = Cell::Closed;
            else if (ch == 'F')
                p.State[i] = Cell::Marked;
            else if (ch == '*')
                p.State[i] = Cell::Triggered;
            else if (ch >= '0' && ch <= '8') {
                p.State[i] = Cell::Open;
                p.Number[i] = ch - '0';
            } else {
                return Fail(error, lineNumber, c + 1,
                            std::string("unknown sector '") + ch + "' (expected . F * or 0 to 8)");
            }
        }
        if (line.size() > static_cast<size_t>(p.Width))
            return Fail(error, lineNumber, p.Width + 1,
                        "the row is longer than " + std::to_string(p.Width) + " sectors");
    }
    position = std::move(p);
    return true;
}

std::string FormatFixed(double value, int decimals)
{
    char buffer[400];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, written.ptr);
}

std::string FormatProbabilities(const Position &position, const std::vector<float> &probability)
{
    std::string out;
    for (int32_t r = 0; r < position.Height; ++r) {
        for (int32_t c = 0; c < position.Width; ++c) {
            const int32_t i = position.Index(c, r);
            if (c > 0) out += ' ';
            switch (position.State[i]) {
            case Cell::Open:
                out += '.';
                break;
            case Cell::Triggered:
                out += '*';
                break;
            default:
                if (probability[i] < 0.0f || probability[i] != probability[i]) {
                    out += '-';
                } else {
                    const double v = probability[i];
                    const std::string text = FormatFixed(v, 6);
                    // Six decimals would round a near-certainty to a certainty.
                    if (v < 1.0 && text == "1.000000")
                        out += "0.999999";
                    else if (v > 0.0 && text == "0.000000")
                        out += "0.000001";
                    else
                        out += text;
                }
            }
        }
        out += '\n';
    }
    return out;
}

std::string FormatPosition(const Position &position)
{
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << position.Width << ' ' << position.Height << ' ' << position.Mines << '\n';
    for (int32_t r = 0; r < position.Height; ++r) {
        for (int32_t c = 0; c < position.Width; ++c) {
            const int32_t i = position.Index(c, r);
            switch (position.State[i]) {
            case Cell::Closed:
                out << '.';
                break;
            case Cell::Marked:
                out << 'F';
                break;
            case Cell::Triggered:
                out << '*';
                break;
            case Cell::Open:
                out << static_cast<char>('0' + position.Number[i]);
                break;
            }
        }
        out << '\n';
    }
    return out.str();
}

} // namespace kelvane::solver
