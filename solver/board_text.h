// The text form of a position read by kelvane-solve, and the text of its answer.
//
// Input: a line "WIDTH HEIGHT MINES", then HEIGHT lines of WIDTH characters: '.' closed,
// 'F' mine marker, '*' triggered mine, '0'-'8' open with that number. Lines starting with
// '#' are comments. Output: HEIGHT lines of WIDTH tokens and a status line.
#pragma once

#include "solver.h"

#include <istream>
#include <string>
#include <vector>

namespace kelvane::solver
{

struct TextError {
    int32_t Line = 0;   // 1-based
    int32_t Column = 0; // 1-based
    std::string Message;
};

// Reads one position from the stream (the next one, for files that hold many). False with
// the error filled in when the text is not a position; false with an empty message at the
// end of the stream. lineNumber counts the lines read so far.
bool ReadPosition(std::istream &in, int32_t &lineNumber, Position &position, TextError &error);

// A value in fixed notation with the given number of decimals and a point, whatever the C
// library's locale: the output contract is the same everywhere.
std::string FormatFixed(double value, int decimals);

// The answer grid: a probability with six decimals, '-' where none, '.' open, '*' triggered.

std::string FormatProbabilities(const Position &position, const std::vector<float> &probability);

// The position in the input form, so that a written position reads back the same.
std::string FormatPosition(const Position &position);

} // namespace kelvane::solver
