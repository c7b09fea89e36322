// The game's command line: --help and --version answer without opening a window.
#pragma once

// Handles the options every desktop program has. Returns -1 when the game should start,
// else the exit code: 0 after --help or --version, 2 (with the usage) for anything unknown.
// Runs before the application object exists, so that no display is needed to answer.
int HandleCommandLine(int argc, char **argv);

// The desktop entry's name without ".desktop", also the icon's and the metainfo's.
const char *DesktopFileName();
