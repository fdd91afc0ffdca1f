#pragma once
#include "app/VistrelF.h"
#include "platform/ProgramFolder.h"
#include "platform/UiServices.h"
#include "tests/common/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Points the program folder at folder (made if missing) for the object's life.
class TProgramFolderScope {
public:
    explicit TProgramFolderScope(const std::string& folder) : saved_(ProgramFolder())
    {
        std::filesystem::create_directories(folder);
        SetProgramFolder(folder);
    }
    ~TProgramFolderScope() { SetProgramFolder(saved_); }
    TProgramFolderScope(const TProgramFolderScope&) = delete;
    TProgramFolderScope& operator=(const TProgramFolderScope&) = delete;

private:
    std::string saved_;
};

// A main window answering its dialogs from ui_, with a fresh program folder (Home(), the temporary
// folder unless a test says otherwise); what it opens with the desktop's "open" action is recorded
// in launched_.
class WindowFixture : public ::testing::Test {
protected:
    virtual std::string Home() const { return temp_.Path() + "/"; }
    void SetUp() override
    {
        home_.emplace(Home());
        window_ = std::make_unique<TVistrelF>(&ui_);
        window_->Launcher = [this](const std::string& target) {
            launched_.push_back(target);
            return true;
        };
    }
    void TearDown() override
    {
        window_.reset();
        home_.reset();
    }

    TTempDir temp_;
    std::optional<TProgramFolderScope> home_;
    TScriptedUi ui_;
    std::unique_ptr<TVistrelF> window_;
    std::vector<std::string> launched_;
};
