#include "app/BatchConversion.h"
#include "app/CliArgs.h"
#include "app/CommandLine.h"

#include "platform/Errors.h"
#include "platform/TBitmap.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <thread>

namespace {

// Names one a line; a carriage return before the line end and empty lines are dropped.
void ReadNameList(std::istream& in, std::vector<std::string>& names)
{
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) names.push_back(line);
    }
}

std::string OptionValue(const TCliArgs& args, std::size_t& i)
{
    if (i + 1 >= args.size()) throw TCliUsageError{args[i] + " needs a value"};
    return args[++i];
}

int SideArg(const std::string& option, const std::string& text)
{
    const int side = IntArg(text);
    if (side < 1 || side > TBitmap::MaxSide)
        throw TCliUsageError{option + " needs a size from 1 to " + std::to_string(TBitmap::MaxSide)};
    return side;
}

} // namespace

// Batch conversion without a window: each output name on standard output in list order as it is
// written, every failure on standard error with its file name, "Batch completed" last. Exit 1 when any
// file failed; the others are converted all the same.
int CliBatch(const TCliArgs& args)
{
    TBatchSettings settings;
    settings.File.TransparentGif = false;
    settings.Format = -1;
    bool width = false, height = false, haveOut = false, fromList = false;
    int jobs = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    std::vector<std::string> files;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--width") {
            settings.Width = SideArg(a, OptionValue(args, i));
            settings.Keep = 0;
            width = true;
        } else if (a == "--height") {
            settings.Height = SideArg(a, OptionValue(args, i));
            settings.Keep = 1;
            height = true;
        } else if (a == "--format") {
            const std::string name = OptionValue(args, i);
            settings.Format = BatchFormatByName(name);
            if (settings.Format < 0) throw TCliUsageError{"--format is bmp, gif, jpg, png or tif, not \"" + name + "\""};
        } else if (a == "--out") {
            settings.Dir = OptionValue(args, i);
            haveOut = true;
        } else if (a == "--quality") {
            settings.File.JpegQuality = QualityArg(OptionValue(args, i));
        } else if (a == "--transparent") {
            settings.File.TransparentGif = true;
        } else if (a == "--jobs") {
            jobs = IntArg(OptionValue(args, i));
            if (jobs < 1) throw TCliUsageError{"--jobs needs at least 1"};
        } else if (a == "--from") {
            const std::string list = OptionValue(args, i);
            fromList = true;
            if (list == "-") {
                ReadNameList(std::cin, files);
            } else {
                std::ifstream in(list);
                if (!in) throw EvekFileError("Cannot open the file list \"" + list + "\".");
                ReadNameList(in, files);
            }
        } else if (a.size() > 1 && a[0] == '-') {
            throw TCliUsageError{"Unknown option " + a};
        } else {
            files.push_back(a);
        }
    }
    if (width == height) throw TCliUsageError{"batch needs one of --width N and --height N"};
    if (settings.Format < 0) throw TCliUsageError{"batch needs --format bmp|gif|jpg|png|tif"};
    if (!haveOut || settings.Dir.empty()) throw TCliUsageError{"batch needs --out DIR, a folder name"};
    if (files.empty() && !fromList) throw TCliUsageError{"batch needs FILE... or --from LIST"};
    // "out/" and "out" name the same folder and give the same output names.
    while (settings.Dir.size() > 1 && settings.Dir.back() == '/') settings.Dir.pop_back();
    std::error_code ec;
    std::filesystem::create_directories(settings.Dir, ec);
    if (!std::filesystem::is_directory(settings.Dir))
        throw EvekFileError("Cannot create the output folder \"" + settings.Dir + "\".");

    bool failed = false;
    RunBatch(files, settings, jobs, [&](std::size_t index, const TBatchFileResult& result) {
        if (result.Outcome == TBatchFileResult::boWritten) {
            std::cout << result.OutputName << '\n' << std::flush;
        } else {
            failed = true;
            if (result.Outcome == TBatchFileResult::boEmpty)
                std::cerr << result.Message << '\n';
            else
                std::cerr << files[index] << ": " << result.Message << '\n';
        }
        return true;
    });
    std::cout << "Batch completed\n" << std::flush;
    return failed ? 1 : 0;
}
