#pragma once
#include "app/VistrelF.h"
#include "platform/ProgramFolder.h"
#include "platform/UiServices.h"
#include "tests/common/TestFiles.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// A main window answering its dialogs from ui_, with a fresh program folder; what it opens with
// the desktop's "open" action is recorded in launched_.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = ProgramFolder();
        SetProgramFolder(temp_.Path() + "/");
        window_ = std::make_unique<TVistrelF>(&ui_);
        window_->Launcher = [this](const std::string& target) {
            launched_.push_back(target);
            return true;
        };
    }
    void TearDown() override
    {
        window_.reset();
        SetProgramFolder(saved_);
    }

    TTempDir temp_;
    std::string saved_;
    TScriptedUi ui_;
    std::unique_ptr<TVistrelF> window_;
    std::vector<std::string> launched_;
};
