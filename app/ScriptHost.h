#pragma once
#include "app/VistrelDoc.h"
#include "script/VekScript.h"

#include <string>

// Gives a script the window's image commands: binds the script's external variables (>name.get,
// >name.set) to a document's working image, its canvas, effects, settings and files. The window's
// Run Script and the command line's run both run scripts through it.
class TScriptHost {
public:
    // Binds script's onGetVariable and onSetVariable for the host's lifetime.
    TScriptHost(TvekScript& script, TVistrelDoc& doc);
    ~TScriptHost();
    TScriptHost(const TScriptHost&) = delete;
    TScriptHost& operator=(const TScriptHost&) = delete;

    // Reads a script file and runs it on the working image; the undo copy first takes the image, so
    // that Undo last brings back the image from before the run. Load and run errors are raised.
    TVariant RunFile(const std::string& fileName);

    void GetVariable(TvekScript& sender, const std::string& symbol, TVariant& value, bool& handled);
    void SetVariable(TvekScript& sender, const std::string& symbol, const TVariant& value, bool& handled);

private:
    TvekScript& script_;
    TVistrelDoc& doc_;
};

// The extension lists of the open, save and convert words (upper case, as FileExtension gives them).
bool ScriptCanOpen(const std::string& fileName);
bool ScriptCanSave(const std::string& fileName);
