// kelvane-solve --figures FILE and --review FILE: what a recorded game's figures were, and
// how every move of it stood against the engine's exact probabilities.
#pragma once

#include <string>

// Reads the record (FILE, or '-' for standard input) and prints its figures on one line;
// returns the exit code: 0, or 2 for a bad command line or a malformed record.
int RunFigures(int argc, char **argv);

// Reads the record (FILE, or '-'), prints one line per move with its grade and a summary
// line; returns the exit code: 0, 1 when the engine cannot be loaded, 2 for a bad command
// line or a malformed record.
int RunReview(int argc, char **argv, const std::string &enginePath);
