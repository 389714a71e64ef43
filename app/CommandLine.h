#pragma once

#include <optional>

// The program's own options, --help and --version, answered before Qt opens a display, so that they need
// neither a display nor BG.bmp. Every other argument, Qt's own (-platform ...) among them, is left to Qt.
// Returns the exit code when the command line asked for text only, nothing when the program should start.
std::optional<int> AnswerCommandLine(int argc, char** argv);
