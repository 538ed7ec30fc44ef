#pragma once
// The commands of vantrel, in one table (commands.cpp): the word, the line
// "vantrel --help" lists it with, its own help text, and the function that
// runs it.

#include <string>
#include <vector>

#include "apps/vantrel/job.h"

namespace vantrel {

// args[0] is the command word; usage is the command's help text, printed
// for --help.
using CommandHandler = int (*)(const std::vector<std::string>& args, const char* usage,
                               Console& console);

struct Command {
    const char* name;
    const char* summary;  // one line for the list
    const char* usage;    // usage and every option, ending with a line end
    bool reading;         // takes the options of reading a data file (READING)
    CommandHandler run;
};

const std::vector<Command>& Commands();
// nullptr for a word that is no command.
const Command* FindCommand(const std::string& name);
// The command's --help: its usage, then READING's options when it takes them.
const std::string& CommandHelp(const Command& command);

// The handlers of cli.cpp.
int CommandRun(const std::vector<std::string>& args, const char* usage, Console& console);
int CommandDemo(const std::vector<std::string>& args, const char* usage, Console& console);

}  // namespace vantrel
