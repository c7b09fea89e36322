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
