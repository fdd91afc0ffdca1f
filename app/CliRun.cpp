#include "app/CommandLine.h"

#include "app/CliImageFiles.h"
#include "app/ScriptHost.h"
#include "app/VistrelDoc.h"
#include "script/VekScript.h"

#include <iostream>

namespace {

// The command line has no window: the picture and the file list have nothing to show.
class THeadlessView : public TVistrelView {
public:
    void PictureChanged() override {}
    void RefreshFiles() override {}
    void ShellOpen(const std::string& target) override {}
    void EnableUndo() override {}
};

} // namespace

// vistrel run SCRIPT [IMAGE] [--param NAME=VALUE]... [--timeout S]: runs a script file on a working
// image, IMAGE or none, and prints the result's text form. Load and run errors leave through main,
// which prints their message on standard error and exits 1.
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

    THeadlessView view;
    TVistrelDoc doc(view);
    if (positional.size() == 2) doc.Picture = TCliImageFiles(positional[1]).Load();

    TvekScript script;
    script.Params = params;
    script.ScriptTimeOut = timeout;
    TScriptHost host(script, doc);
    const TVariant result = host.RunFile(positional[0]);
    if (!result.IsEmptyOrNull()) std::cout << result.Text() << "\n";
    std::cout.flush();
    return 0;
}
