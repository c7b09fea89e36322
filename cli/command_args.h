// What kelvane-solve's commands share in reading their arguments.
#pragma once

#include <string>
#include <vector>

// True when `option` is one of the arguments.
bool OptionGiven(int argc, char **argv, const char *option);
// Says why on one line of standard error and gives the exit code for bad arguments, 2.
int BadArguments(const std::string &message);
// A whole decimal number from min to max.
bool ParseNumber(const char *text, long long min, long long max, long long &out);
// True when `arg` names an option: a dash, but not a negative number.
bool IsOption(const std::string &arg);

// The numbers a command takes in order (W H MINES ...), from its arguments that are no option.
struct Positionals {
    std::string Command;             // "--autoplay"
    std::vector<const char *> Names; // "W", "H", "MINES"
    std::vector<long long> Values{}; // those given so far
    // "--autoplay takes three numbers: W H MINES"
    std::string Usage() const;
    // Takes `arg` as the next number; why not, or empty.
    std::string Take(const std::string &arg);
    bool Complete() const { return Values.size() == Names.size(); }
};

// Why a field of w x h cannot be played, or empty.
std::string FieldSizeError(long long w, long long h);
