// What kelvane-solve's commands share in reading their arguments.
#pragma once

#include <string>

// True when `option` is one of the arguments.
bool OptionGiven(int argc, char **argv, const char *option);
// Says why on one line of standard error and gives the exit code for bad arguments, 2.
int BadArguments(const std::string &message);
// A whole decimal number from min to max.
bool ParseNumber(const char *text, long long min, long long max, long long &out);
