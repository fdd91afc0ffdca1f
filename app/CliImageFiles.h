#pragma once
#include "imaging/ImageIO.h"
#include "platform/TBitmap.h"
#include "platform/UiServices.h"

#include <string>

// Image files for the subcommands: the window's load and save dispatch, with questions (icon
// resize, passwords) on the console, and what the window passes over silently (an unknown
// extension, nothing loaded, an abandoned save) raised as errors, since a subcommand must not
// report success for a file it never read or wrote.
class TCliImageFiles {
public:
    // Checks both extensions before anything is read; either may be empty (an image that comes from
    // elsewhere, or one that is not saved).
    TCliImageFiles(const std::string& source, const std::string& destination = {});

    TBitmap Load();
    void Save(TBitmap& image);

    TImageFileSettings Settings; // the window's start values

private:
    std::string source_;
    std::string destination_;
    TConsoleUi console_;
    TUiScope scope_{console_};
};
