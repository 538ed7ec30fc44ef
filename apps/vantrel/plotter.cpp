// Starting the plotter programs beside vantrel and waiting for them.

#include "apps/vantrel/plotter.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>

#include "apps/vantrel/interrupt.h"

extern char** environ;

namespace fs = std::filesystem;

namespace vantrel {

std::string FindPlotter(const char* name, std::string& error) {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    const fs::path p = self.parent_path() / name;
    if (!ec && fs::is_regular_file(p, ec)) return p.string();
    error = std::string("the PNG is drawn by ") + name +
            ", which is not beside vantrel (a build without the user interface)";
    return {};
}

int RunPlotter(const std::string& plotter, const std::vector<std::string>& args,
               const std::string& png, Console& c) {
    std::vector<std::string> words{plotter};
    words.insert(words.end(), args.begin() + 1, args.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    c.out << std::flush;
    pid_t pid = 0;
    if (posix_spawn(&pid, plotter.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return Fail(c, kExitOutput, "cannot start \"" + plotter + "\"");
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return kExitOutput;
    if (Interrupted() ||
        (WIFSIGNALED(status) && (WTERMSIG(status) == SIGINT || WTERMSIG(status) == SIGTERM))) {
        // Ctrl+C reached the plotter too: what it had begun goes.
        std::remove(PlotterTempPng(png).c_str());
        return StoppedByUser(c);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : kExitOutput;
}

}  // namespace vantrel
