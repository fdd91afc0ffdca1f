#include "app/CommandLine.h"

#include "app/CliImageFiles.h"
#include "platform/ProgramFolder.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>

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
    {"fx", CliFx, "fx SRC DST OPERATION [ARG...]  run one effect on SRC and save DST (fx --list: the effects)"},
    {"run", CliRun, "run SCRIPT [IMAGE] [--param NAME=VALUE]... [--timeout S]  run a script on IMAGE (or an empty image)"},
    {"gif", CliGif, "gif SRC DST [--palette CHOICE] [--dither CHOICE] [--bits N] [--transparent]  reduce SRC to a palette and save DST as GIF"},
    {"batch", CliBatch,
     "batch (--width N | --height N) --format bmp|gif|jpg|png|tif --out DIR [--quality Q] [--transparent]\n"
     "                     [--password PW] [--jobs N] [--from LIST|-] FILE...  resize every file to one width or height"},
    {"stamp", CliStamp, "stamp SRC DST [PROPERTY=VALUE]...  stamp one shape (Shape=vstCircle Left=10 ...) into SRC, save DST"},
    {"scan", CliScan, "scan DST [--device NAME]       scan one image through SANE and save it as DST"},
};

void PrintUsage(std::ostream& out)
{
    out << "Usage: vistrel [--home DIR] [FILE...]          start the window (opening the first file)\n";
    for (const auto& s : kSubcommands) out << "       vistrel [--home DIR] " << s.usage << "\n";
    out << "       vistrel --help | --version\n"
        << "Encrypted files (.xjpg, .xgif, .xpng) take their password from --password PW or --password-file\n"
        << "FILE (its first line) with any subcommand; otherwise one line is read from standard input.\n";
}

int UsageError(const std::string& message)
{
    std::cerr << message << "\n";
    PrintUsage(std::cerr);
    return 2;
}

const TSubcommand* FindSubcommand(const std::string& word)
{
    for (const auto& s : kSubcommands)
        if (word == s.name) return &s;
    return nullptr;
}

bool IsOption(const std::string& word) { return word.size() > 1 && word[0] == '-'; }

// A word the window opens: an existing file. Anything else is a subcommand or a mistyped one.
bool IsWindowFile(const std::string& word)
{
    std::error_code ec;
    return !IsOption(word) && std::filesystem::is_regular_file(word, ec);
}

// argv without the program name and without "--home DIR", whose folder goes to home (the last one
// given wins). False when --home has no folder.
bool SplitArguments(int argc, char** argv, std::vector<std::string>& args, std::string& home)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--home") != 0) {
            args.emplace_back(argv[i]);
            continue;
        }
        if (i + 1 >= argc) return false;
        home = argv[++i];
    }
    return true;
}

// The window is asked for by no words at all or by files only; it is never started for a mistake,
// since without a display that would end in Qt's abort rather than in the usage.
bool AsksForWindow(const std::vector<std::string>& args)
{
    return (args.empty() || !FindSubcommand(args[0])) && std::all_of(args.begin(), args.end(), IsWindowFile);
}

} // namespace

bool IsHeadlessCommand(int argc, char** argv)
{
    std::vector<std::string> args;
    std::string home;
    return !SplitArguments(argc, argv, args, home) || !AsksForWindow(args);
}

int RunCommandLine(int argc, char** argv, std::vector<std::string>& windowFiles)
{
    std::vector<std::string> args;
    std::string home;
    if (!SplitArguments(argc, argv, args, home)) return UsageError("--home needs a folder");
    if (!home.empty()) SetProgramFolder(home);
    bool passwordGiven = false;
    try {
        passwordGiven = TakePasswordOptions(args);
    } catch (const TCliUsageError& e) {
        return UsageError(e.message);
    }
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        PrintUsage(std::cout);
        return 0;
    }
    if (!args.empty() && args[0] == "--version") {
        std::cout << "Vistrel 9\n";
        return 0;
    }
    if (!args.empty()) {
        if (const TSubcommand* s = FindSubcommand(args[0])) {
            TCliArgs rest(args.begin() + 1, args.end());
            // Every subcommand asks its questions, passwords included, on the console.
            TCliConsoleUi console;
            TUiScope consoleScope(console);
            try {
                return s->run(rest);
            } catch (const TCliUsageError& e) {
                return UsageError(e.message);
            } catch (const std::exception& e) {
                std::cerr << e.what() << "\n";
                return 1;
            }
        }
        if (IsOption(args[0])) return UsageError("Unknown option " + args[0]);
    }
    // The window asks for each file's password itself.
    if (passwordGiven) return UsageError("--password and --password-file go with a subcommand");
    for (const auto& word : args)
        if (!IsWindowFile(word)) return UsageError("\"" + word + "\" is neither a subcommand nor a file");
    windowFiles = args;
    return -1;
}
