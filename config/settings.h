// The settings file kelvane.ini beside the executable: what the player set, the main
// window's position and the best-times table, read once at start and written at every close.
#pragma once

#include "best_times.h"
#include "kelvane_engine.h"
#include "settings_store.h"

#include <QList>
#include <QLocale>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>

// The settings that live in the main window rather than in the game record.
struct MainWindowSettings {
    int32_t Left = 16;    // main window's left edge, screen pixels
    int32_t Top = 16;     // main window's top edge
    int32_t MaxScale = 3; // sector size limit, 0..3
    BestTimes Best;       // best-times table
    int32_t NoGuess = 0;  // no-guess boards, 0 or 1, in the program's own section [Kelvane]
};

// Reads the file into the record and the window settings. A missing file gives every
// setting its default silently. Returns an empty string on success, else the message to
// show the player, naming the file; the settings then hold their defaults.
QString LoadSettings(const QString &path, TGameState &game, MainWindowSettings &window,
                     const QLocale &locale = QLocale::system());

// Writes them, keeping the file's other sections and keys. The old file is replaced only
// by a complete new one. Returns an empty string on success, else the message (naming the
// file); a failed save leaves the old file as it was.
QString SaveSettings(const QString &path, const TGameState &game, const MainWindowSettings &window,
                     const QLocale &locale = QLocale::system());

// Makes the missing folders above the settings file, as an installed program's first save
// needs. Returns an empty string on success, else the message (naming the file, the folder
// and the system's reason).
QString MakeSettingsFolder(const QString &path);

// SaveSettings with a stop between writing the temporary file and replacing the old one.
QString SaveSettings(const QString &path, const TGameState &game, const MainWindowSettings &window,
                     const QLocale &locale, const BeforeReplaceHook &beforeReplace);

// The reading and writing steps over a store already open, without the file.
void ReadSettings(const SettingsStore &store, TGameState &game, MainWindowSettings &window);
void WriteSettings(SettingsStore &store, const TGameState &game, const MainWindowSettings &window);

// A window of `size` at `topLeft` that overlaps one of `screens` (available geometries)
// stays where it is; one wholly off them goes to the default offset on `primary`.
QPoint KeepOnScreen(QPoint topLeft, QSize size, const QList<QRect> &screens, QRect primary);
