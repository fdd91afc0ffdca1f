#include "app/CommandLine.h"

#include "imaging/ImageIO.h"
#include "platform/TBitmap.h"
#include "script/ScriptSource.h"
#include "script/VekScript.h"

#include <filesystem>
#include <iostream>

// vistrel run SCRIPT [IMAGE] [--param NAME=VALUE]... [--timeout S]: runs a script file against a
// working image and prints the result's text form. Load and run errors leave through main, which
// prints their message on standard error and exits 1.
int CliRun(const TCliArgs& args)
{
    std::vector<std::string> positional;
    std::vector<std::string> params;
    int timeout = 30;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--param") {
            if (i + 1 >= args.size() || args[i + 1].find('=') == std::string::npos)
                throw TCliUsageError{"--param needs NAME=VALUE"};
            params.push_back(args[++i]);
        } else if (a == "--timeout") {
            std::size_t used = 0;
            try {
                if (i + 1 < args.size()) timeout = std::stoi(args[i + 1], &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (i + 1 >= args.size() || used != args[i + 1].size()) throw TCliUsageError{"--timeout needs a number of seconds"};
            ++i;
        } else if (a.size() > 1 && a[0] == '-' && a[1] == '-') {
            throw TCliUsageError{"Unknown option " + a};
        } else {
            positional.push_back(a);
        }
    }
    if (positional.empty() || positional.size() > 2) throw TCliUsageError{"run needs SCRIPT and at most one IMAGE"};
    const std::string& scriptFile = positional[0];

    // The working image the script host's image words will act on.
    TBitmap workingImage;
    if (positional.size() == 2) {
        TImageFileSettings settings;
        LoadImageFile(positional[1], workingImage, settings);
    }

    TvekScript script;
    script.Params = params;
    script.ScriptTimeOut = timeout;
    script.onInclude = FileIncludeHandler(std::filesystem::path(scriptFile).parent_path().string());
    script.SetScript(ReadScriptSource(scriptFile));
    const TVariant result = script.Execute();
    if (!result.IsEmptyOrNull()) std::cout << result.Text() << "\n";
    std::cout.flush();
    return 0;
}
