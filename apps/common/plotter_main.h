#pragma once
// What the plotter programs beside vantrel (vantrel-trend, vantrel-envelope,
// vantrel-orders) share around their drawing: the offscreen start, --help
// and --version, usage errors, and the PNG written whole or not at all. Each
// takes the words of the vantrel command it draws for, named here by that
// command ("trend"); the program is "vantrel-" and the command.

#include <QImage>
#include <string>
#include <vector>

namespace plotmain {

// Draws offscreen unless another platform is set, keeps Qt's noise about a
// missing runtime folder off stderr, and returns the words as the command
// gets them (the command first). Call before the application object is made.
std::vector<std::string> Start(const char* command, int argc, char** argv);

// Answers --version, and --help when the parsed words asked for it, with the
// version atop the command's help; true when it answered (exit code 0).
bool AnswerHelp(const char* command, bool help, int argc, char** argv);

// A usage error on stderr (or that --png is missing, error being empty);
// returns the usage exit code.
int UsageError(const char* command, const std::string& error);

// Writes the picture to png through a temporary beside it, so a failed write
// leaves no half file; false after a message on stderr.
bool SavePng(const char* command, const QImage& image, const std::string& png);

}  // namespace plotmain
