// The text format of kelvane-solve and the program itself, run as a player would.
#include "board_text.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <locale.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>

namespace kelvane::solver::testing
{
namespace
{

TEST(SolverBoardText, WrittenPositionsReadBackTheSame)
{
    for (const char *name : {"beginner", "expert", "hard"}) {
        std::ifstream in(std::string(KELVANE_CORPUS_DIR) + "/" + name + ".txt");
        Position p;
        TextError error;
        int32_t line = 0;
        int count = 0;
        while (ReadPosition(in, line, p, error)) {
            const Position back = Parse(FormatPosition(p));
            ASSERT_EQ(back.Width, p.Width);
            ASSERT_EQ(back.Height, p.Height);
            ASSERT_EQ(back.Mines, p.Mines);
            ASSERT_EQ(back.State, p.State);
            for (size_t i = 0; i < p.State.size(); ++i)
                if (p.State[i] == Cell::Open) {
                    ASSERT_EQ(back.Number[i], p.Number[i]);
                }
            ++count;
        }
        EXPECT_TRUE(error.Message.empty()) << error.Message;
        EXPECT_GT(count, 10) << name;
    }
}

TEST(SolverBoardText, AnswerGridHasOneTokenPerSector)
{
    const Position p = Parse("3 2 1\n*1F\n.0.\n");
    const std::vector<float> prob = {-1.0f, 0.25f, 0.0f, 0.0f, 1.0f, -1.0f};
    // Column-major: (0,0) (0,1) (1,0) (1,1) (2,0) (2,1).
    EXPECT_EQ(FormatProbabilities(p, prob), "* . 1.000000\n0.250000 . -\n");
}

TEST(SolverBoardText, NearCertaintiesDoNotPrintAsCertain)
{
    const Position p = Parse("2 1 1\n..\n");
    EXPECT_EQ(FormatProbabilities(p, {0.9999999f, 1e-9f}), "0.999999 0.000001\n");
}

struct BadText {
    const char *Name;
    const char *Text;
    int32_t Line, Column;
    const char *Message;
};

class SolverBoardTextErrors : public ::testing::TestWithParam<BadText>
{
};

TEST_P(SolverBoardTextErrors, NameTheLineAndColumn)
{
    std::istringstream in(GetParam().Text);
    Position p;
    TextError error;
    int32_t line = 0;
    EXPECT_FALSE(ReadPosition(in, line, p, error));
    EXPECT_EQ(error.Line, GetParam().Line);
    EXPECT_EQ(error.Column, GetParam().Column);
    EXPECT_NE(error.Message.find(GetParam().Message), std::string::npos) << error.Message;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SolverBoardTextErrors,
    ::testing::Values(BadText{"MissingHeight", "3\n", 1, 2, "height"},
                      BadText{"WordForWidth", "# a comment\nthree 2 1\n", 2, 1, "width"},
                      BadText{"TrailingText", "3 2 1 x\n", 1, 7, "unexpected"},
                      BadText{"TooWide", "33 2 1\n", 1, 1, "width"},
                      BadText{"NoRows", "3 0 1\n", 1, 1, "height"},
                      BadText{"NegativeMines", "3 2 -1\n", 1, 1, "mine count"},
                      BadText{"TooManyMines", "3 2 7\n", 1, 1, "mine count"},
                      BadText{"UnknownSector", "3 2 1\n...\n.x.\n", 3, 2, "unknown sector 'x'"},
                      BadText{"NineIsNoNumber", "3 2 1\n..9\n...\n", 2, 3, "unknown sector '9'"},
                      BadText{"ShortRow", "3 2 1\n...\n..\n", 3, 3, "shorter"},
                      BadText{"LongRow", "3 2 1\n....\n...\n", 2, 4, "longer"},
                      BadText{"MissingRow", "3 2 1\n...\n# only a comment\n", 4, 1,
                              "expected 2 rows"}),
    [](const ::testing::TestParamInfo<BadText> &info) { return info.param.Name; });

struct Outcome {
    int Exit;
    std::string Out, Err;
};

// Runs kelvane-solve with the given arguments and input text.
Outcome RunSolve(const std::string &args, const std::string &input,
                 const std::string &environment = "")
{
    // Test cases run side by side, so every file name is the process's own.
    const std::string base = ::testing::TempDir() + "/kelvane_solve_" + std::to_string(getpid());
    const std::string in = base + "_in.txt", out = base + "_out.txt", err = base + "_err.txt";
    std::ofstream(in) << input;
    const std::string command = environment + " " + std::string(KELVANE_SOLVE_PATH) + " " + args +
                                " < " + in + " > " + out + " 2> " + err;
    const int status = std::system(command.c_str());
    auto slurp = [](const std::string &path) {
        std::ifstream f(path);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    };
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, slurp(out), slurp(err)};
}

TEST(SolverFrontEnd, PrintsTheGridAndTheStatusLine)
{
    const Outcome o = RunSolve("", "# 1-2-1 on a wall\n3 2 2\n121\n...\n");
    ASSERT_EQ(o.Exit, 0) << o.Err;
    const std::regex shape("\\. \\. \\.\n1\\.000000 0\\.000000 1\\.000000\n"
                           "status Finished combinations [0-9]+ seconds [0-9]+\\.[0-9]{6}\n");
    EXPECT_TRUE(std::regex_match(o.Out, shape)) << o.Out;
}

TEST(SolverFrontEnd, PrintsTheSameTextUnderEveryLocale)
{
    // The engine and the front end may run under a player's comma locale: their output
    // contract keeps the point. Only the measured seconds may differ between the runs.
    for (const char *name : {"de_DE.UTF-8", "fr_FR.UTF-8"}) {
        const locale_t installed = newlocale(LC_ALL_MASK, name, nullptr);
        ASSERT_NE(installed, locale_t(nullptr)) << "the locale " << name << " is not installed";
        freelocale(installed);
    }
    const std::string input = "# 1-2-1 on a wall\n4 3 3\n121.\n....\n....\n";
    const std::regex seconds("seconds [0-9]+\\.[0-9]{6}\n$");
    std::string reference;
    for (const char *locale : {"C", "de_DE.UTF-8", "fr_FR.UTF-8"}) {
        const Outcome o = RunSolve("", input, std::string("LC_ALL=") + locale);
        ASSERT_EQ(o.Exit, 0) << locale << ": " << o.Err;
        ASSERT_TRUE(std::regex_search(o.Out, seconds)) << locale << ": " << o.Out;
        const std::string text = std::regex_replace(o.Out, seconds, "");
        EXPECT_EQ(text.find(','), std::string::npos) << locale << ": " << text;
        if (reference.empty())
            reference = text;
        else
            EXPECT_EQ(text, reference) << locale;
    }
}

TEST(SolverFrontEnd, ReadsAFileArgumentAndHonoursTheOptions)
{
    const std::string path =
        ::testing::TempDir() + "/kelvane_solve_" + std::to_string(getpid()) + "_file.txt";
    std::ofstream(path) << "3 3 1\n...\n...\n...\n";
    const Outcome fair = RunSolve("--fair-play --no-dupcheck --repeat 3 " + path, "");
    ASSERT_EQ(fair.Exit, 0) << fair.Err;
    EXPECT_EQ(fair.Out.substr(0, 3 * 27), "0.000000 0.200000 0.000000\n"
                                          "0.200000 0.200000 0.200000\n"
                                          "0.000000 0.200000 0.000000\n");
    const Outcome plain = RunSolve("--simple --checking 2 --depth 20 " + path, "");
    EXPECT_EQ(plain.Out.substr(0, 9), "0.111111 ");
}

TEST(SolverFrontEnd, ImpossiblePositionReportsErrorWithoutProbabilities)
{
    const Outcome o = RunSolve("--checking 0", "3 1 1\nF0.\n");
    EXPECT_EQ(o.Exit, 0);
    EXPECT_EQ(o.Out.substr(0, 6), "- . -\n");
    EXPECT_NE(o.Out.find("status Error combinations 0 "), std::string::npos) << o.Out;
}

TEST(SolverFrontEnd, BudgetOrMemoryTooSmallReportsHaltedAndWhich)
{
    std::ifstream in(std::string(KELVANE_CORPUS_DIR) + "/hard.txt");
    std::stringstream all;
    all << in.rdbuf();
    // The 14th position of the hard set is an Ultra lattice far beyond 2^20 steps.
    std::istringstream lines(all.str());
    Position p;
    TextError error;
    int32_t line = 0;
    for (int i = 0; i < 14; ++i)
        ASSERT_TRUE(ReadPosition(lines, line, p, error));
    const Outcome o = RunSolve("--depth 20", FormatPosition(p));
    EXPECT_EQ(o.Exit, 0);
    EXPECT_NE(o.Out.find("status Halted (step budget) combinations "), std::string::npos) << o.Out;
    EXPECT_EQ(o.Out.substr(0, o.Out.find("status")).find_first_not_of("-. *\n"), std::string::npos);

    // The same position within the largest budget, where the memory runs out first: a small
    // address space makes the engine's allocations fail. The sanitizers' shadow memory
    // needs more than that to start at all.
    if (Sanitized) return;
    const Outcome memory = RunSolve("--depth 30", FormatPosition(p), "ulimit -v 24000;");
    EXPECT_EQ(memory.Exit, 0) << memory.Err;
    EXPECT_NE(memory.Out.find("status Halted (memory limit) combinations "), std::string::npos)
        << memory.Out;
}

TEST(SolverFrontEnd, BadInputNamesLineAndColumnAndExitsWithTwo)
{
    const Outcome o = RunSolve("", "3 2 1\n...\n.?.\n");
    EXPECT_EQ(o.Exit, 2);
    EXPECT_TRUE(o.Out.empty());
    EXPECT_NE(o.Err.find("line 3, column 2"), std::string::npos) << o.Err;
    EXPECT_EQ(std::count(o.Err.begin(), o.Err.end(), '\n'), 1);
}

TEST(SolverFrontEnd, EmptyInputAndBadOptionsExitWithTwo)
{
    EXPECT_EQ(RunSolve("", "").Exit, 2);
    EXPECT_EQ(RunSolve("--depth 40", "3 1 0\n...\n").Exit, 2);
    EXPECT_EQ(RunSolve("--frobnicate", "3 1 0\n...\n").Exit, 2);
    EXPECT_EQ(RunSolve("/no/such/file", "").Exit, 2);
}

TEST(SolverFrontEnd, HelpAndVersionAnswerAtOnceWithoutReadingAPosition)
{
    const Outcome version = RunSolve("--version", "not a position");
    EXPECT_EQ(version.Exit, 0);
    EXPECT_EQ(version.Out, "kelvane-solve " KELVANE_VERSION "\n");
    const Outcome help = RunSolve("--help", "not a position");
    EXPECT_EQ(help.Exit, 0);
    EXPECT_NE(help.Out.find("--version"), std::string::npos);
    EXPECT_NE(help.Out.find("--engine PATH"), std::string::npos);
}

TEST(SolverFrontEnd, MissingEngineLibraryIsReported)
{
    const Outcome o = RunSolve("--engine /no/such/kelvane.so", "3 1 0\n...\n");
    EXPECT_EQ(o.Exit, 1);
    EXPECT_NE(o.Err.find("/no/such/kelvane.so"), std::string::npos);
}

// The README's examples, run as written: the same output, whatever the time.
TEST(SolverFrontEnd, ReadmeExamplesPrintWhatTheReadmeShows)
{
    const struct {
        std::string Cat, Command, Args;
    } examples[] = {
        {"$ cat wall.txt", "$ kelvane-solve wall.txt", ""},
        {"$ cat game.txt", "$ kelvane-solve --review game.txt", "--review -"},
    };
    for (const auto &example : examples) {
        std::ifstream readme(std::string(KELVANE_CORPUS_DIR) + "/../README.md");
        ASSERT_TRUE(readme.good());
        std::string line, input, expected;
        enum { Before, Input, Output, Done } part = Before;
        while (part != Done && std::getline(readme, line)) {
            const std::string text = line.rfind("    ", 0) == 0 ? line.substr(4) : line;
            if (text == example.Cat)
                part = Input;
            else if (text == example.Command)
                part = Output;
            else if (part == Input)
                input += text + "\n";
            else if (part == Output && text.empty())
                part = Done;
            else if (part == Output)
                expected += text + "\n";
        }
        ASSERT_FALSE(input.empty()) << example.Cat;
        ASSERT_FALSE(expected.empty()) << example.Command;
        const Outcome o = RunSolve(example.Args, input);
        ASSERT_EQ(o.Exit, 0) << o.Err;
        const std::regex seconds("seconds [0-9.]+\n$");
        EXPECT_EQ(std::regex_replace(o.Out, seconds, "seconds T\n"),
                  std::regex_replace(expected, seconds, "seconds T\n"))
            << example.Command;
    }
}

TEST(SolverFrontEnd, GeneratePrintsANoGuessLayout_TheSameForTheSameSeed)
{
    const Outcome first = RunSolve("--generate 24 20 100 0 19 --fair-play --seed 9", "");
    ASSERT_EQ(first.Exit, 0) << first.Err;
    const std::regex shape("(([.*]{24})\n){20}status Found attempts [1-9][0-9]* seconds "
                           "[0-9]+\\.[0-9]{6}\n");
    EXPECT_TRUE(std::regex_match(first.Out, shape)) << first.Out;
    std::vector<std::string> rows;
    std::istringstream lines(first.Out);
    for (std::string row; std::getline(lines, row) && row.size() == 24;)
        rows.push_back(row);
    ASSERT_EQ(rows.size(), 20u);
    int mines = 0;
    for (const std::string &row : rows)
        mines += static_cast<int>(std::count(row.begin(), row.end(), '*'));
    EXPECT_EQ(mines, 100);
    // The press (0, 19) and its neighbours, and the corners, are free.
    for (auto [c, r] : {std::pair{0, 19}, {1, 19}, {0, 18}, {1, 18}, {0, 0}, {23, 0}, {23, 19}})
        EXPECT_EQ(rows[r][c], '.') << c << "," << r;

    const Outcome again = RunSolve("--seed 9 --fair-play --generate 24 20 100 0 19", "");
    EXPECT_EQ(again.Out.substr(0, 25 * 20), first.Out.substr(0, 25 * 20));
    const Outcome other = RunSolve("--generate 24 20 100 0 19 --fair-play --seed 10", "");
    EXPECT_NE(other.Out.substr(0, 25 * 20), first.Out.substr(0, 25 * 20));
}

TEST(SolverFrontEnd, GenerateWithoutANoGuessBoard_SaysNotFound_AndExitsWithThree)
{
    // Two columns and one mine: the last two numbers never tell the columns apart.
    const Outcome o = RunSolve("--generate 2 5 1 0 0 --seed 1", "");
    EXPECT_EQ(o.Exit, 3);
    EXPECT_TRUE(std::regex_match(o.Out, std::regex("status NotFound attempts [0-9]+ seconds "
                                                   "[0-9]+\\.[0-9]{6}\n")))
        << o.Out;
}

TEST(SolverFrontEnd, GenerateWithBadArguments_ExitsWithTwoAndSaysWhy)
{
    const std::pair<const char *, const char *> cases[] = {
        {"--generate 8 8 10 3", "five numbers"},
        {"--generate 8 8 10 3 3 4", "five numbers"},
        {"--generate 0 8 10 3 3", "W must be 1 to 32"},
        {"--generate 8 33 10 3 3", "H must be 1 to 32"},
        {"--generate 8 8 ten 3 3", "MINES is not a number"},
        {"--generate 8 8 10 8 3", "X must be 0 to 7"},
        {"--generate 8 8 10 3 -1", "Y must be 0 to 7"},
        {"--generate 8 8 56 3 3", "MINES must be 0 to 55"},
        {"--generate 8 8 52 3 3 --fair-play", "MINES must be 0 to 51"},
        {"--generate 8 8 10 3 3 --seed 4294967296", "--seed takes"},
        {"--generate 8 8 10 3 3 --depth 20", "unknown option --depth"},
    };
    for (const auto &[args, message] : cases) {
        const Outcome o = RunSolve(args, "");
        EXPECT_EQ(o.Exit, 2) << args;
        EXPECT_TRUE(o.Out.empty()) << args;
        EXPECT_NE(o.Err.find(message), std::string::npos) << args << "\n" << o.Err;
        EXPECT_EQ(std::count(o.Err.begin(), o.Err.end(), '\n'), 1) << args << "\n" << o.Err;
    }
}

TEST(SolverFrontEnd, AutoplayPrintsTheShareWon_TheSameForASeedOnAnyThreads_OrWhyNot)
{
    const std::regex shape(
        "won ([0-9]+) of 40 \\(([0-9]+\\.[0-9]{2}) % \\+/- [0-9]+\\.[0-9]{2} % at "
        "95 %\\) games/s [0-9]+\\.[0-9]{2}\n(guesses per game [0-9]+\\.[0-9]{3}\n)");
    std::string seen[4];
    const char *runs[4] = {"--autoplay 9 9 10 --games 40 --seed 5",
                           "--seed 5 --threads 2 --autoplay 9 9 10 --games 40",
                           "--autoplay 9 9 10 --games 40 --seed 6",
                           "--autoplay 9 9 10 --games 40 --seed 5 --even"};
    for (int k = 0; k < 4; ++k) {
        const Outcome o = RunSolve(runs[k], "");
        ASSERT_EQ(o.Exit, 0) << o.Err;
        std::smatch m;
        ASSERT_TRUE(std::regex_match(o.Out, m, shape)) << o.Out;
        seen[k] = m[1].str() + " " + m[3].str();
        EXPECT_GT(std::stoi(m[1].str()), 20) << o.Out; // a sure player wins most beginner games
    }
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_NE(seen[0], seen[2]);
    EXPECT_NE(seen[0], seen[3]); // other layouts

    const std::pair<const char *, const char *> bad[] = {
        {"--autoplay 9 9 --games 1", "three numbers"},
        {"--autoplay 9 9 10", "needs --games"},
        {"--autoplay 9 9 10 --games 0", "--games takes"},
        {"--autoplay 9 9 81 --games 1", "MINES must be 0 to 80"},
        {"--autoplay 9 9 73 --games 1 --opening", "MINES must be 0 to 72"},
        {"--autoplay 9 9 10 --games 1 --first 9 0", "--first must lie in the field"},
        {"--autoplay 9 9 10 --games 1 --threads 0", "--threads takes"},
        {"--autoplay 9 9 10 --games 1 --threads 2 --engine x.so", "--engine plays on one thread"},
        {"--autoplay 9 9 10 --games 1 --depth 20", "unknown option --depth"},
    };
    for (const auto &[args, message] : bad) {
        const Outcome o = RunSolve(args, "");
        EXPECT_EQ(o.Exit, 2) << args;
        EXPECT_NE(o.Err.find(message), std::string::npos) << args << "\n" << o.Err;
        EXPECT_EQ(std::count(o.Err.begin(), o.Err.end(), '\n'), 1) << args << "\n" << o.Err;
    }
    EXPECT_EQ(RunSolve("--autoplay 9 9 10 --games 1 --engine /nonexistent/kelvane.so", "").Exit, 1);
}

TEST(SolverFrontEnd, FiguresAndReviewOfAGameRecord_OrTheLineAndReasonWithExitTwo)
{
    const std::string record = "kelvane-game 1\nsize 8 8 2\n"
                               "options fair-play 0 trainer 0 no-guess 0 timed 1\nlayout\n"
                               "........\n........\n..*.....\n........\n"
                               "........\n.....*..\n........\n........\nmoves\n"
                               "0 open 1 1\n100 mark 2 2\n200 chord 1 1\nend won 3.5\n";
    const std::string path =
        ::testing::TempDir() + "/kelvane_solve_" + std::to_string(getpid()) + "_game.txt";
    std::ofstream(path) << std::regex_replace(record, std::regex("end won"), "end lost");
    const struct {
        std::string Args, Input;
        int Exit;
        std::string Out, Err;
    } cases[] = {
        {"--figures -", record, 0,
         "result won seconds 3.5 3bv 1 solved 1 clicks 3 effective 3 ioe 0.333 3bv/s 0.286\n", ""},
        {"--figures " + path, "", 2, "",
         "kelvane-solve: " + path + ":17: end lost, but no mine was opened\n"},
        {"--figures", "", 2, "", "kelvane-solve: --figures takes one record file"},
        // The chord opens the seven sectors around the 1 at (1, 1) but the marked one: a mine
        // among them unless the marker is right, 7 in 8.
        {"--review -", record, 0,
         "1 0 open 1 1 first p - min 0.031250\n2 100 mark 2 2 guess p 0.125000 min -\n"
         "3 200 chord 1 1 risky p 0.875000 min 0.018182\n"
         "summary result won seconds 3.5 3bv 1 solved 1 clicks 3 effective 3 ioe 0.333 "
         "3bv/s 0.286 guesses 1 needless 0 risky 1 survival 0.125000 luck 3.000\n",
         ""},
        {"--review " + path, "", 2, "",
         "kelvane-solve: " + path + ":17: end lost, but no mine was opened\n"},
        {"--review - --engine /nonexistent/kelvane.so", record, 1, "",
         "kelvane-solve: cannot load the engine /nonexistent/kelvane.so"},
        {"--review", "", 2, "", "kelvane-solve: --review takes one record file"},
        {"--review - extra", record, 2, "", "kelvane-solve: --review takes one record file"},
    };
    for (const auto &c : cases) {
        const Outcome o = RunSolve(c.Args, c.Input);
        EXPECT_EQ(o.Exit, c.Exit) << c.Args;
        EXPECT_EQ(o.Out, c.Out) << c.Args;
        EXPECT_EQ(o.Err.substr(0, c.Err.size()), c.Err) << c.Args;
    }
}

} // namespace
} // namespace kelvane::solver::testing
