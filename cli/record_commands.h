// kelvane-solve --figures FILE: the result and the usual figures of a recorded game.
#pragma once

// True when the command line asks for the figures of a game record.
bool FiguresRequested(int argc, char **argv);
// Reads the record (FILE, or '-' for standard input) and prints its figures on one line;
// returns the exit code: 0, or 2 for a bad command line or a malformed record.
int RunFigures(int argc, char **argv);
