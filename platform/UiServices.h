#pragma once
#include "platform/TColor.h"

#include <deque>
#include <iosfwd>
#include <string>
#include <vector>

// Every question, message, input box and dialog that a command or a script word shows goes through
// this interface: Qt dialogs in the window, the console on the command line, queued answers in tests.
class TUiServices {
public:
    virtual ~TUiServices() = default;

    // A plain message box with a fixed text.
    virtual void ShowMessage(const std::string& text) = 0;
    // The application's error box: where every failed command ends.
    virtual void ShowError(const std::string& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& question) = 0;
    // A Yes/No/Cancel question: 1 Yes, 0 No, -1 Cancel.
    virtual int AskYesNoCancel(const std::string& question) = 0;
    // An input box; false when cancelled. value holds the default on entry.
    virtual bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) = 0;
    // A password box; false when cancelled.
    virtual bool AskPassword(const std::string& caption, std::string& password) = 0;
    // File dialogs with a Windows-style filter "Text|*.a;*.b|..."; false when cancelled.
    virtual bool OpenFileDialog(const std::string& filter, std::string& fileName) = 0;
    virtual bool SaveFileDialog(const std::string& filter, std::string& fileName) = 0;
    virtual bool SelectFolder(const std::string& caption, std::string& folder) = 0;
    virtual bool PickColor(TColor& color) = 0;
    // Font dialog: name, size in points, style bits, colour.
    virtual bool PickFont(std::string& name, int& size, int& style, TColor& color) = 0;
    // A list to choose one entry from (the scanner's source selection); false when cancelled.
    // index holds the preselected entry on entry and the chosen one on return.
    virtual bool ChooseItem(const std::string& caption, const std::vector<std::string>& items, int& index) = 0;
    // The script word say: its text is the script's output.
    virtual void Say(const std::string& text) = 0;

    // A command at work. BeginWork shows a busy cursor. Long work calls KeepAlive often: it lets the
    // window repaint and, once the work has run for about half a second, shows a progress box with
    // Cancel; it returns false once Cancel was pressed, and the work then stops with an error. Work
    // nests; the innermost caption that is not empty shows in the box.
    virtual void BeginWork(const std::string& caption) {}
    virtual bool KeepAlive() { return true; }
    virtual void EndWork() {}
};

// The process-wide UI services; the console implementation until a host sets another.
TUiServices& Ui();
void SetUi(TUiServices* services); // nullptr restores the console implementation

// Command line: messages and errors to standard error, say to standard output, answers read a
// line from standard input (end of input answers No / cancels).
class TConsoleUi : public TUiServices {
public:
    TConsoleUi();
    TConsoleUi(std::istream& in, std::ostream& out, std::ostream& err);
    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& question) override;
    int AskYesNoCancel(const std::string& question) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool AskPassword(const std::string& caption, std::string& password) override;
    bool OpenFileDialog(const std::string& filter, std::string& fileName) override;
    bool SaveFileDialog(const std::string& filter, std::string& fileName) override;
    bool SelectFolder(const std::string& caption, std::string& folder) override;
    bool PickColor(TColor& color) override;
    bool PickFont(std::string& name, int& size, int& style, TColor& color) override;
    bool ChooseItem(const std::string& caption, const std::vector<std::string>& items, int& index) override;
    void Say(const std::string& text) override;

private:
    bool ReadLine(const std::string& prompt, std::string& line);
    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    bool typedAnswers_ = false; // standard input is a terminal
};

// Tests: answers are queued beforehand and taken in order; every message is recorded. A dialog with
// no queued answer is cancelled (and a question answered No), and the shortfall is recorded.
class TScriptedUi : public TUiServices {
public:
    struct Record {
        std::string kind; // "message", "error", "question", "input", "password", "open", "save",
                          // "folder", "color", "font", "choose", "say"
        std::string text;
        std::string start = {}; // what an input box or file dialog offered before the answer
    };
    std::deque<std::string> Answers; // "Yes"/"No"/"Cancel" for questions, text for inputs and dialogs,
                                     // the entry's text for a choice;
                                     // a leading "\x18" (CAN) cancels an input or dialog
    std::vector<Record> Log;
    int Unanswered = 0;

    void Queue(const std::string& answer) { Answers.push_back(answer); }
    std::vector<std::string> Messages(const std::string& kind) const;

    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& question) override;
    int AskYesNoCancel(const std::string& question) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool AskPassword(const std::string& caption, std::string& password) override;
    bool OpenFileDialog(const std::string& filter, std::string& fileName) override;
    bool SaveFileDialog(const std::string& filter, std::string& fileName) override;
    bool SelectFolder(const std::string& caption, std::string& folder) override;
    bool PickColor(TColor& color) override;
    bool PickFont(std::string& name, int& size, int& style, TColor& color) override;
    bool ChooseItem(const std::string& caption, const std::vector<std::string>& items, int& index) override;
    void Say(const std::string& text) override;

    // Work: how deep it nests now, the captions it was given, and Cancel pressed in the progress box
    // once KeepAlive has been called CancelWorkAfter times (-1: never).
    int WorkDepth = 0;
    std::vector<std::string> WorkCaptions;
    int KeepAliveCalls = 0;
    int CancelWorkAfter = -1;
    void BeginWork(const std::string& caption) override;
    bool KeepAlive() override;
    void EndWork() override;

private:
    bool Take(const std::string& kind, const std::string& text, std::string& answer, const std::string& start = {});
};

// A command at work for the lifetime of a scope (see TUiServices::BeginWork).
class TWorkScope {
public:
    explicit TWorkScope(const std::string& caption = {});
    ~TWorkScope();
    TWorkScope(const TWorkScope&) = delete;
    TWorkScope& operator=(const TWorkScope&) = delete;

private:
    TUiServices& ui_;
};

// Installs a UI for the lifetime of a scope (tests, the command line), restoring the previous one.
class TUiScope {
public:
    explicit TUiScope(TUiServices& services);
    ~TUiScope();
    TUiScope(const TUiScope&) = delete;
    TUiScope& operator=(const TUiScope&) = delete;

private:
    TUiServices* previous_;
};
