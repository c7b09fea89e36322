#include "command_args.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

bool OptionGiven(int argc, char **argv, const char *option)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

int BadArguments(const std::string &message)
{
    std::fprintf(stderr, "kelvane-solve: %s\n", message.c_str());
    return 2;
}

bool ParseNumber(const char *text, long long min, long long max, long long &out)
{
    char *end = nullptr;
    errno = 0;
    const long long v = std::strtoll(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || v < min || v > max) return false;
    out = v;
    return true;
}

bool IsOption(const std::string &arg)
{
    return arg.size() > 1 && arg[0] == '-' && !(arg[1] >= '0' && arg[1] <= '9');
}

std::string Positionals::Usage() const
{
    static const char *const counts[] = {"no", "one", "two", "three", "four", "five"};
    std::string text = Command + " takes " +
                       (Names.size() < 6 ? counts[Names.size()] : std::to_string(Names.size())) +
                       " numbers:";
    for (const char *name : Names)
        text += std::string(" ") + name;
    return text;
}

std::string Positionals::Take(const std::string &arg)
{
    if (Complete()) return Usage();
    long long value = 0;
    if (!ParseNumber(arg.c_str(), -2147483647LL, 2147483647LL, value))
        return std::string(Names[Values.size()]) + " is not a number: " + arg;
    Values.push_back(value);
    return {};
}

std::string FieldSizeError(long long w, long long h)
{
    if (w < 1 || w > 32) return "W must be 1 to 32, not " + std::to_string(w);
    if (h < 1 || h > 32) return "H must be 1 to 32, not " + std::to_string(h);
    return {};
}
