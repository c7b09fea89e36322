// Kelvane: start-up. Refuses small screens, creates the windows and runs the event loop.
#include "command_line.h"
#include "display_scale.h"
#include "main_window.h"

#include <QApplication>
#include <QMessageBox>

#include <exception>

int main(int argc, char **argv)
{
    if (const int exitCode = HandleCommandLine(argc, argv); exitCode >= 0) return exitCode;
    // Sizes are pixels as laid out, drawn at one whole scale that fits the screen.
    PrepareDesktopScale(argc, argv);
    QApplication app(argc, argv);
    RestoreEnvironment();
    // No display name: Qt would append it to every window's caption.
    QApplication::setApplicationName("Kelvane");
    QGuiApplication::setDesktopFileName(DesktopFileName());

    if (QGuiApplication::primaryScreen() == nullptr || !ScreenFits(PhysicalScreenSize())) {
        QMessageBox::critical(nullptr, "Kelvane",
                              "Sorry, a screen resolution of at least 1024x768 is required");
        return 1;
    }

    try {
        TfrmMain frmMain;
        frmMain.show();
        app.exec();
    } catch (const std::exception &error) {
        QMessageBox::critical(nullptr, "Kelvane", error.what());
    } catch (...) {
        QMessageBox::critical(nullptr, "Kelvane", "An unexpected error stopped the program.");
    }
    return 0;
}
