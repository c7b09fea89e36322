// Kelvane: start-up. Refuses small screens, creates the windows and runs the event loop.
#include "command_line.h"
#include "main_window.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

#include <exception>

int main(int argc, char **argv)
{
    if (const int exitCode = HandleCommandLine(argc, argv); exitCode >= 0)
        return exitCode;
    // Sizes are pixels as laid out; the desktop's scale factor must not stretch them.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    QApplication app(argc, argv);
    QApplication::setApplicationName("Kelvane");
    QGuiApplication::setDesktopFileName(DesktopFileName());
    QApplication::setApplicationDisplayName("Kelvane");

    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || !ScreenFits(screen->size())) {
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
