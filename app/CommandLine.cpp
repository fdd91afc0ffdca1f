#include "app/CommandLine.h"

#include "platform/ProgramFolder.h"

#include <cstring>
#include <exception>
#include <iostream>
#include <map>

namespace {

struct TSubcommand {
    const char* name;
    int (*run)(const TCliArgs&);
    const char* usage;
};

// The subcommand table: the dispatch and --help are both read from it.
const TSubcommand kSubcommands[] = {
    {"info", CliInfo, "info FILE                      print WIDTH HEIGHT BITS of an image"},
    {"convert", CliConvert, "convert SRC DST [--quality N]  load SRC and save it as DST (format by extension)"},
    {"fx", CliFx, "fx SRC DST OPERATION [ARG...]  run one effect on SRC and save DST"},
    {"run", CliRun, "run SCRIPT [IMAGE] [--param NAME=VALUE]... [--timeout S]  run a script"},
};

void PrintUsage(std::ostream& out)
{
    out << "Usage: vistrel [--home DIR] [FILE...]          start the window (opening the first file)\n";
    for (const auto& s : kSubcommands) out << "       vistrel [--home DIR] " << s.usage << "\n";
    out << "       vistrel --help\n";
}

} // namespace

bool IsHeadlessCommand(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--home") == 0) {
            ++i;
            continue;
        }
        if (argv[i][0] == '-') return true;
        for (const auto& s : kSubcommands)
            if (std::strcmp(argv[i], s.name) == 0) return true;
        return false;
    }
    return false;
}

int RunCommandLine(int argc, char** argv, std::vector<std::string>& windowFiles)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--home") {
            if (i + 1 >= argc) {
                std::cerr << "--home needs a folder\n";
                PrintUsage(std::cerr);
                return 2;
            }
            SetProgramFolder(argv[++i]);
            continue;
        }
        args.push_back(a);
    }
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        PrintUsage(std::cout);
        return 0;
    }
    if (!args.empty()) {
        for (const auto& s : kSubcommands) {
            if (args[0] != s.name) continue;
            TCliArgs rest(args.begin() + 1, args.end());
            try {
                return s.run(rest);
            } catch (const TCliUsageError& e) {
                std::cerr << e.message << "\n";
                PrintUsage(std::cerr);
                return 2;
            } catch (const std::exception& e) {
                std::cerr << e.what() << "\n";
                return 1;
            }
        }
        if (args[0].size() > 1 && args[0][0] == '-') {
            std::cerr << "Unknown option " << args[0] << "\n";
            PrintUsage(std::cerr);
            return 2;
        }
    }
    windowFiles = args;
    return -1;
}
