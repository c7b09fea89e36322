// Tests that run under a chosen locale (KELVANE_TEST_LOCALE, set by CTest together with
// LC_ALL) check first that the C library really took it, as the program's own start does.
#pragma once

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

inline bool TestLocaleInForce()
{
    const char *wanted = std::getenv("KELVANE_TEST_LOCALE");
    if (wanted == nullptr) return true;
    const char *current = std::setlocale(LC_NUMERIC, nullptr);
    if (current != nullptr && std::strcmp(current, wanted) == 0) return true;
    std::fprintf(stderr, "the locale %s is not in force (found %s): is it installed?\n", wanted,
                 current != nullptr ? current : "none");
    return false;
}

// The decimal separator a player under the test's locale reads, known independently of
// the locale libraries: a comma under the German and French locales, else a point.
inline const char *ExpectedDecimalPoint()
{
    const char *locale = std::getenv("KELVANE_TEST_LOCALE");
    if (locale != nullptr &&
        (std::strncmp(locale, "de_", 3) == 0 || std::strncmp(locale, "fr_", 3) == 0))
        return ",";
    return ".";
}
