#include "game_record.h"

#include "record_replay.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <set>

namespace
{

constexpr double SecondsBound = 1e6;

const char *const KindNames[] = {"open", "mark", "unmark", "chord", "probe"};

// A field the replay can hold: a record built in memory is not checked as a read one is.
bool Playable(const GameRecord &r)
{
    return r.Width >= 1 && r.Width <= KELVANE_COLUMN_SLOTS && r.Height >= 1 &&
           r.Height <= KELVANE_SECTOR_SLOTS / KELVANE_COLUMN_SLOTS &&
           r.Layout.size() == size_t(r.Width) * r.Height;
}

// ---- Reading -------------------------------------------------------------------------

std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    size_t start = 0;
    for (;;) {
        const size_t space = line.find(' ', start);
        words.push_back(line.substr(start, space - start));
        if (space == std::string_view::npos) break;
        start = space + 1;
    }
    return words;
}

template <typename T> bool Number(std::string_view text, T &value)
{
    if (text.empty() || text[0] == '-') return false;
    const auto [stop, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && stop == text.data() + text.size();
}

// Digits, a point and one digit.
bool Seconds(std::string_view text, double &value)
{
    const size_t point = text.find('.');
    if (point == 0 || point == std::string_view::npos || point + 2 != text.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (i != point && (text[i] < '0' || text[i] > '9')) return false;
    const auto [stop, ec] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return ec == std::errc() && stop == text.data() + text.size();
}

class Reader
{
  public:
    Reader(std::string_view text, RecordError &error) : Error(error)
    {
        size_t start = 0;
        int32_t number = 0;
        while (start < text.size()) {
            const size_t end = text.find('\n', start);
            const std::string_view line = text.substr(start, end - start);
            ++number;
            if (line.empty() || line[0] != '#') Lines.push_back({number, line});
            if (end == std::string_view::npos) break;
            start = end + 1;
        }
        LastLine = number;
    }

    bool Read(GameRecord &r)
    {
        std::string_view line;
        if (!Next(line, "expected \"kelvane-game 1\"")) return false;
        if (line != "kelvane-game 1") return Fail("expected \"kelvane-game 1\"");

        if (!Next(line, "expected \"size W H MINES\"")) return false;
        auto w = Words(line);
        if (w.size() != 4 || w[0] != "size" || !Number(w[1], r.Width) || !Number(w[2], r.Height) ||
            !Number(w[3], r.Mines))
            return Fail("expected \"size W H MINES\"");
        if (r.Width < 8 || r.Width > 32) return Fail("the field has 8 to 32 columns");
        if (r.Height < 8 || r.Height > 25) return Fail("the field has 8 to 25 rows");
        const int32_t limit = (r.Width - 1) * (r.Height - 1);
        if (r.Mines < 1 || r.Mines > limit)
            return Fail("the field holds 1 to " + std::to_string(limit) + " mines");

        const char *optionsForm = "expected \"options fair-play F trainer T no-guess N timed D\"";
        if (!Next(line, optionsForm)) return false;
        w = Words(line);
        int flags[4] = {};
        if (w.size() != 9 || w[0] != "options" || w[1] != "fair-play" || w[3] != "trainer" ||
            w[5] != "no-guess" || w[7] != "timed")
            return Fail(optionsForm);
        for (int i = 0; i < 4; ++i)
            if (!Number(w[2 + 2 * i], flags[i]) || flags[i] > 1) return Fail("an option is 0 or 1");
        r.FairPlay = flags[0] != 0;
        r.Trainer = flags[1] != 0;
        r.NoGuess = flags[2] != 0;
        r.Timed = flags[3] != 0;

        if (!Next(line, "expected \"layout\"")) return false;
        if (line != "layout") return Fail("expected \"layout\"");
        const int32_t layoutLine = Current;
        r.Layout.assign(size_t(r.Width) * r.Height, 0);
        int32_t mines = 0;
        for (int32_t y = 0; y < r.Height; ++y) {
            const std::string row = "row " + std::to_string(y);
            if (!Next(line, "expected " + row + " of the layout")) return false;
            if (line == "moves") return Fail("expected " + row + " of the layout");
            if (line.size() != size_t(r.Width))
                return Fail(row + " has " + std::to_string(line.size()) +
                            " sectors, the field has " + std::to_string(r.Width) + " columns");
            for (int32_t x = 0; x < r.Width; ++x) {
                if (line[x] != '*' && line[x] != '.')
                    return Fail(row + " holds a character other than '*' and '.'");
                r.Layout[size_t(y) * r.Width + x] = line[x] == '*' ? 1 : 0;
                mines += line[x] == '*' ? 1 : 0;
            }
        }
        if (mines != r.Mines)
            return FailAt(layoutLine, std::to_string(mines) +
                                          " mines in the layout, the size line says " +
                                          std::to_string(r.Mines));
        if (r.FairPlay && (r.MineAt(0, 0) || r.MineAt(r.Width - 1, 0) ||
                           r.MineAt(0, r.Height - 1) || r.MineAt(r.Width - 1, r.Height - 1)))
            return FailAt(layoutLine, "a mine in a corner of a fair-play field");

        if (!Next(line, "expected \"moves\"")) return false;
        if (line != "moves") return Fail("expected \"moves\"");

        RecordReplay replay(r);
        r.Moves.clear();
        for (;;) {
            if (!Next(line, "expected a move or \"end\"")) return false;
            w = Words(line);
            if (w[0] == "end") break;
            RecordedMove move;
            int kind = 0;
            while (kind < 5 && (w.size() < 2 || w[1] != KindNames[kind]))
                ++kind;
            if (w.size() != 4 || kind == 5 || !Number(w[0], move.Ms) || !Number(w[2], move.X) ||
                !Number(w[3], move.Y))
                return Fail("expected \"<ms> <open|mark|unmark|chord|probe> <x> <y>\" or \"end\"");
            move.Kind = MoveKind(kind);
            if (move.X >= r.Width)
                return Fail("x " + std::to_string(move.X) + " is outside the field");
            if (move.Y >= r.Height)
                return Fail("y " + std::to_string(move.Y) + " is outside the field");
            if (!r.Moves.empty() && move.Ms < r.Moves.back().Ms)
                return Fail("moves out of time order");
            if (r.Moves.empty() && move.Kind != MoveKind::Open)
                return Fail("the first move is an open");
            if (const char *why = replay.Play(move)) return Fail(why);
            r.Moves.push_back(move);
        }

        const char *endForm = "expected \"end <won|lost|abandoned> <seconds>\"";
        if (w.size() != 3) return Fail(endForm);
        if (w[1] == "won")
            r.End = GameEnd::Won;
        else if (w[1] == "lost")
            r.End = GameEnd::Lost;
        else if (w[1] == "abandoned")
            r.End = GameEnd::Abandoned;
        else
            return Fail(endForm);
        if (!Seconds(w[2], r.Seconds)) return Fail("seconds are written with one decimal: 12.3");
        if (r.Seconds > SecondsBound) return Fail("seconds beyond 1000000.0");
        if (!r.Timed && r.Seconds != 0.0) return Fail("an untimed game has 0.0 seconds");
        if (r.Moves.empty()) return Fail("a game without its first open");
        if (r.End == GameEnd::Won && !replay.Won())
            return Fail("end won, but " + std::to_string(replay.SafeLeft()) +
                        " safe sectors are still closed");
        if (r.End == GameEnd::Lost && !replay.Lost())
            return Fail("end lost, but no mine was opened");
        if (r.End == GameEnd::Abandoned && replay.Decided())
            return Fail(replay.Won() ? "end abandoned, but the game was won"
                                     : "end abandoned, but the game was lost");
        if (Index < Lines.size()) {
            ++Index;
            Current = Lines[Index - 1].Number;
            return Fail("nothing follows \"end\"");
        }
        return true;
    }

  private:
    struct Line {
        int32_t Number;
        std::string_view Text;
    };

    bool Next(std::string_view &line, const std::string &missing)
    {
        if (Index == Lines.size()) {
            Current = LastLine + 1;
            return Fail("the record ends early: " + missing);
        }
        Current = Lines[Index].Number;
        line = Lines[Index++].Text;
        return true;
    }
    bool Fail(const std::string &reason) { return FailAt(Current, reason); }
    bool FailAt(int32_t line, const std::string &reason)
    {
        Error = {line, reason};
        return false;
    }

    RecordError &Error;
    std::vector<Line> Lines;
    size_t Index = 0;
    int32_t Current = 0, LastLine = 0;
};

} // namespace

const char *KindName(MoveKind kind)
{
    return KindNames[size_t(kind)];
}

const char *EndName(GameEnd end)
{
    switch (end) {
    case GameEnd::Won:
        return "won";
    case GameEnd::Lost:
        return "lost";
    case GameEnd::Abandoned:
        break;
    }
    return "abandoned";
}

std::string WriteRecord(const GameRecord &record)
{
    auto flag = [](bool on) { return on ? " 1" : " 0"; };
    std::string text = "kelvane-game 1\nsize " + std::to_string(record.Width) + " " +
                       std::to_string(record.Height) + " " + std::to_string(record.Mines) +
                       "\noptions fair-play" + flag(record.FairPlay) + " trainer" +
                       flag(record.Trainer) + " no-guess" + flag(record.NoGuess) + " timed" +
                       flag(record.Timed) + "\nlayout\n";
    for (int32_t y = 0; y < record.Height; ++y) {
        for (int32_t x = 0; x < record.Width; ++x)
            text += record.MineAt(x, y) ? '*' : '.';
        text += '\n';
    }
    text += "moves\n";
    for (const RecordedMove &m : record.Moves)
        text += std::to_string(m.Ms) + " " + KindNames[int(m.Kind)] + " " + std::to_string(m.X) +
                " " + std::to_string(m.Y) + "\n";
    char seconds[48];
    const auto written = std::to_chars(seconds, seconds + sizeof seconds, record.Seconds,
                                       std::chars_format::fixed, 1);
    text += std::string("end ") + EndName(record.End) + " " +
            std::string(seconds, written.ec == std::errc() ? written.ptr : seconds) + "\n";
    return text;
}

bool ReadRecord(std::string_view text, GameRecord &record, RecordError &error)
{
    GameRecord read;
    if (!Reader(text, error).Read(read)) return false;
    record = std::move(read);
    return true;
}

std::vector<int32_t> StatesAfter(const GameRecord &record, size_t moves)
{
    if (!Playable(record)) return {};
    RecordReplay replay(record);
    for (size_t i = 0; i < moves && i < record.Moves.size(); ++i)
        replay.Play(record.Moves[i]);
    std::vector<int32_t> states(size_t(record.Width) * record.Height);
    for (int32_t y = 0; y < record.Height; ++y)
        for (int32_t x = 0; x < record.Width; ++x)
            states[size_t(y) * record.Width + x] = replay.StateAt(x, y);
    return states;
}

bool GameFigures::BbbvPerSecond(double seconds, double &rate) const
{
    if (!(seconds > 0.0)) return false;
    rate = BbbvSolved / seconds;
    return true;
}

std::vector<int32_t> MinesAround(const GameRecord &record)
{
    if (!Playable(record)) return {};
    const int32_t w = record.Width, h = record.Height;
    std::vector<int32_t> number(size_t(w) * h, 0);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int32_t &n = number[size_t(y) * w + x];
            if (record.MineAt(x, y)) {
                n = -1;
                continue;
            }
            for (int32_t j = std::max(y - 1, 0); j <= std::min(y + 1, h - 1); ++j)
                for (int32_t i = std::max(x - 1, 0); i <= std::min(x + 1, w - 1); ++i)
                    n += record.MineAt(i, j) ? 1 : 0;
        }
    return number;
}

GameFigures FiguresOf(const GameRecord &record)
{
    if (!Playable(record)) return {};
    const int32_t w = record.Width, h = record.Height;
    const auto at = [w](int32_t x, int32_t y) { return size_t(y) * w + x; };
    const std::vector<int32_t> number = MinesAround(record);

    const std::vector<int32_t> states = StatesAfter(record, record.Moves.size());
    GameFigures f;
    // Each opening once: its zeros are found by a flood over zeros, its border numbered
    // sectors are then no clicks of their own. An opening is solved when one of its zeros
    // is open (the rules then open all of it).
    std::vector<uint8_t> seen(number.size(), 0), bordered(number.size(), 0);
    std::vector<int32_t> stack;
    for (size_t start = 0; start < number.size(); ++start) {
        if (number[start] != 0 || seen[start]) continue;
        bool solved = false;
        seen[start] = 1;
        stack.assign(1, int32_t(start));
        while (!stack.empty()) {
            const int32_t k = stack.back();
            stack.pop_back();
            const int32_t x = k % w, y = k / w;
            solved = solved || states[k] == SECTOR_OPEN;
            for (int32_t j = std::max(y - 1, 0); j <= std::min(y + 1, h - 1); ++j)
                for (int32_t i = std::max(x - 1, 0); i <= std::min(x + 1, w - 1); ++i) {
                    const size_t n = at(i, j);
                    bordered[n] = 1;
                    if (number[n] == 0 && !seen[n]) {
                        seen[n] = 1;
                        stack.push_back(int32_t(n));
                    }
                }
        }
        ++f.Bbbv;
        f.BbbvSolved += solved ? 1 : 0;
    }
    for (size_t k = 0; k < number.size(); ++k)
        if (number[k] > 0 && !bordered[k]) {
            ++f.Bbbv;
            f.BbbvSolved += states[k] == SECTOR_OPEN ? 1 : 0;
        }

    std::set<std::pair<int32_t, int32_t>> markedMines;
    for (const RecordedMove &m : record.Moves) {
        if (m.Kind == MoveKind::Probe) continue;
        ++f.Clicks;
        if (m.Kind == MoveKind::Open || m.Kind == MoveKind::Chord)
            ++f.EffectiveClicks;
        else if (m.Kind == MoveKind::Mark && m.X >= 0 && m.Y >= 0 && m.X < w && m.Y < h &&
                 record.MineAt(m.X, m.Y) && markedMines.insert({m.X, m.Y}).second)
            ++f.EffectiveClicks;
    }
    return f;
}
