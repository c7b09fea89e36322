// kelvane-solve --autoplay: seeded games played to their end by the move policy, and the
// share won.
#pragma once

#include <string>

// Runs the whole command: plays the games and prints the summary. Exit code 0, 2 for bad
// arguments, 1 without an engine.
int RunAutoplay(int argc, char **argv, const std::string &defaultEngine);
