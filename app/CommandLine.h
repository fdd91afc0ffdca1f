#pragma once
#include <string>
#include <vector>

// The headless subcommands. Each returns the process exit code: 0 success, 1 failure (message on
// standard error), 2 usage error. args excludes the program name and the subcommand.
using TCliArgs = std::vector<std::string>;

int CliInfo(const TCliArgs& args);
int CliConvert(const TCliArgs& args);
int CliFx(const TCliArgs& args);
int CliRun(const TCliArgs& args);
int CliGif(const TCliArgs& args);
int CliBatch(const TCliArgs& args);
int CliStamp(const TCliArgs& args);
int CliScan(const TCliArgs& args);

// Raised by a subcommand for wrong arguments; main prints the message and the usage, exit 2.
struct TCliUsageError {
    std::string message;
};

// True when argv names a subcommand or an option, so the program runs without a window.
bool IsHeadlessCommand(int argc, char** argv);

// Dispatches argv; returns -1 when the arguments ask for the window instead.
int RunCommandLine(int argc, char** argv, std::vector<std::string>& windowFiles);
