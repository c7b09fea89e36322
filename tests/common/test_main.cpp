#include "test_locale.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // The player's locale, as the game's own start takes it.
    std::setlocale(LC_ALL, "");
    if (!TestLocaleInForce()) return 1;
    return RUN_ALL_TESTS();
}
