#pragma once
#include "imaging/ImageIO.h"
#include "platform/TBitmap.h"
#include "platform/UiServices.h"

#include <string>
#include <vector>

// The password of encrypted files on the command line, for every subcommand: --password PW,
// --password-file FILE (its first line), otherwise one line read from standard input when the first
// encrypted file needs it. Takes both options out of args wherever they stand; true when one was
// given. Raises TCliUsageError for an option without its value.
bool TakePasswordOptions(std::vector<std::string>& args);

// The console of the subcommands: questions on standard error, and every password question answered
// with the command line's password, found once for the whole run (batches ask from several threads).
class TCliConsoleUi : public TConsoleUi {
public:
    bool AskPassword(const std::string& caption, std::string& password) override;
};

// Image files for the subcommands: the window's load and save dispatch, with questions (icon
// resize, passwords) on the console that the command line installs, and what the window passes
// over silently (an unknown extension, nothing loaded, a missing or wrong password, an abandoned
// save) raised as errors, since a subcommand must not report success for a file it never read or
// wrote.
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
};
