#include "Commands.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vorlune::test {

bool Run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

std::string CommandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        std::size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, n);
        }
        ::pclose(pipe);
    }
    return out;
}

CommandResult RunForResult(const std::string& command) {
    static int calls = 0;
    const std::filesystem::path base =
        std::filesystem::temp_directory_path() /
        ("vorlune-run-" + std::to_string(::getpid()) + "-" + std::to_string(++calls));
    const std::string out = base.string() + ".out";
    const std::string err = base.string() + ".err";
    const int status =
        std::system((command + " >" + ShellQuoted(out) + " 2>" + ShellQuoted(err)).c_str());
    const auto read = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        std::filesystem::remove(path);
        return text.str();
    };
    return {.exitCode = status != -1 && WIFEXITED(status) ? WEXITSTATUS(status) : -1,
            .out = read(out),
            .err = read(err)};
}

std::string ShellQuoted(std::string_view text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace vorlune::test
