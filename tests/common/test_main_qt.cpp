#include "test_locale.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Test discovery runs this binary at build time, outside the CTest environment.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv); // takes the player's locale, as in the game
    if (!TestLocaleInForce()) return 1;
    return RUN_ALL_TESTS();
}
