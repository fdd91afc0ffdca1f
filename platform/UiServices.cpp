#include "platform/UiServices.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace {
TUiServices* g_current = nullptr;

TConsoleUi& DefaultConsole()
{
    static TConsoleUi console;
    return console;
}

bool IsYes(const std::string& answer)
{
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

constexpr char kCancel = '\x18';
} // namespace

TUiServices& Ui() { return g_current ? *g_current : DefaultConsole(); }

void SetUi(TUiServices* services) { g_current = services; }

TWorkScope::TWorkScope(const std::string& caption) : ui_(Ui()) { ui_.BeginWork(caption); }
TWorkScope::~TWorkScope() { ui_.EndWork(); }

TUiScope::TUiScope(TUiServices& services) : previous_(g_current) { g_current = &services; }
TUiScope::~TUiScope() { g_current = previous_; }

// ---- console -------------------------------------------------------------------------------

TConsoleUi::TConsoleUi() : TConsoleUi(std::cin, std::cout, std::cerr) { typedAnswers_ = isatty(STDIN_FILENO); }
TConsoleUi::TConsoleUi(std::istream& in, std::ostream& out, std::ostream& err) : in_(in), out_(out), err_(err) {}

bool TConsoleUi::ReadLine(const std::string& prompt, std::string& line)
{
    err_ << prompt << std::flush;
    const bool read = static_cast<bool>(std::getline(in_, line));
    // A typed answer ends the prompt's line with its Return; one read from a pipe or a file does not,
    // and the next message would run on after the prompt.
    if (!typedAnswers_) err_ << std::endl;
    if (!read) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

void TConsoleUi::ShowMessage(const std::string& text) { err_ << text << std::endl; }
void TConsoleUi::ShowError(const std::string& text) { err_ << text << std::endl; }

bool TConsoleUi::AskYesNo(const std::string& question)
{
    std::string line;
    return ReadLine(question + " [y/N] ", line) && IsYes(line);
}

int TConsoleUi::AskYesNoCancel(const std::string& question)
{
    std::string line;
    if (!ReadLine(question + " [y/n/c] ", line) || line.empty() || line[0] == 'c' || line[0] == 'C') return -1;
    return IsYes(line) ? 1 : 0;
}

bool TConsoleUi::InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    std::string line;
    if (!ReadLine(prompt + " ", line)) return false;
    value = line;
    return true;
}

namespace {

// A password typed at a terminal is not shown. An interrupt while it is being typed gives the
// terminal its echo back before the process ends.
class TQuietTerminal {
public:
    explicit TQuietTerminal(bool quiet)
    {
        if (!quiet || tcgetattr(STDIN_FILENO, &s_saved) != 0) return;
        struct sigaction restore {};
        restore.sa_handler = Interrupted;
        sigemptyset(&restore.sa_mask);
        restore.sa_flags = SA_RESETHAND;
        sigaction(SIGINT, &restore, &oldInt_);
        sigaction(SIGTERM, &restore, &oldTerm_);
        termios silent = s_saved;
        silent.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = true;
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent);
    }
    ~TQuietTerminal()
    {
        if (!active_) return;
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &s_saved);
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }
    TQuietTerminal(const TQuietTerminal&) = delete;
    TQuietTerminal& operator=(const TQuietTerminal&) = delete;
    bool Active() const { return active_; }

private:
    static void Interrupted(int signal)
    {
        tcsetattr(STDIN_FILENO, TCSANOW, &s_saved);
        raise(signal); // the handler was reset: the signal now does what it did before
    }
    static inline termios s_saved{};
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
    bool active_ = false;
};

} // namespace

bool TConsoleUi::AskPassword(const std::string& caption, std::string& password)
{
    TQuietTerminal quiet(&in_ == &std::cin && isatty(STDIN_FILENO));
    const bool read = ReadLine(caption + ": ", password);
    // The Return that ended the hidden line was not shown either.
    if (quiet.Active()) err_ << std::endl;
    return read;
}

bool TConsoleUi::OpenFileDialog(const std::string&, std::string& fileName)
{
    std::string line;
    if (!ReadLine("File to open: ", line) || line.empty()) return false;
    fileName = line;
    return true;
}

bool TConsoleUi::SaveFileDialog(const std::string&, std::string& fileName)
{
    std::string line;
    if (!ReadLine("File to save: ", line) || line.empty()) return false;
    fileName = line;
    return true;
}

bool TConsoleUi::SelectFolder(const std::string& caption, std::string& folder)
{
    std::string line;
    if (!ReadLine(caption + " ", line) || line.empty()) return false;
    folder = line;
    return true;
}

bool TConsoleUi::PickColor(TColor& color)
{
    std::string line;
    if (!ReadLine("Colour ($BBGGRR): ", line) || line.empty()) return false;
    try {
        color = static_cast<TColor>(line[0] == '$' ? std::stoul(line.substr(1), nullptr, 16) : std::stoul(line));
    } catch (...) {
        return false;
    }
    return true;
}

bool TConsoleUi::PickFont(std::string& name, int&, int&, TColor&)
{
    std::string line;
    if (!ReadLine("Font name: ", line) || line.empty()) return false;
    name = line;
    return true;
}

bool TConsoleUi::ChooseItem(const std::string& caption, const std::vector<std::string>& items, int& index)
{
    err_ << caption << "\n";
    for (std::size_t i = 0; i < items.size(); ++i) err_ << "  " << i + 1 << ". " << items[i] << "\n";
    std::string line;
    if (!ReadLine("Number: ", line)) return false;
    char* end = nullptr;
    const long n = std::strtol(line.c_str(), &end, 10);
    if (end == line.c_str() || n < 1 || n > static_cast<long>(items.size())) return false;
    index = static_cast<int>(n - 1);
    return true;
}

void TConsoleUi::Say(const std::string& text) { out_ << text << std::endl; }

// ---- scripted ------------------------------------------------------------------------------

std::vector<std::string> TScriptedUi::Messages(const std::string& kind) const
{
    std::vector<std::string> out;
    for (const auto& r : Log)
        if (r.kind == kind) out.push_back(r.text);
    return out;
}

bool TScriptedUi::Take(const std::string& kind, const std::string& text, std::string& answer, const std::string& start)
{
    Log.push_back({kind, text, start});
    if (Answers.empty()) {
        ++Unanswered;
        return false;
    }
    answer = Answers.front();
    Answers.pop_front();
    return !(answer.size() >= 1 && answer[0] == kCancel);
}

void TScriptedUi::ShowMessage(const std::string& text) { Log.push_back({"message", text}); }
void TScriptedUi::ShowError(const std::string& text) { Log.push_back({"error", text}); }

bool TScriptedUi::AskYesNo(const std::string& question)
{
    std::string a;
    return Take("question", question, a) && IsYes(a);
}

int TScriptedUi::AskYesNoCancel(const std::string& question)
{
    std::string a;
    if (!Take("question", question, a) || a.empty() || a[0] == 'C' || a[0] == 'c') return -1;
    return IsYes(a) ? 1 : 0;
}

bool TScriptedUi::InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    std::string a;
    const bool answered = Take("input", prompt, a, value);
    Log.back().caption = caption;
    if (!answered) return false;
    value = a;
    return true;
}

bool TScriptedUi::AskPassword(const std::string& caption, std::string& password)
{
    std::string a;
    if (!Take("password", caption, a)) return false;
    password = a;
    return true;
}

bool TScriptedUi::OpenFileDialog(const std::string& filter, std::string& fileName)
{
    std::string a;
    if (!Take("open", filter, a, fileName)) return false;
    fileName = a;
    return true;
}

bool TScriptedUi::SaveFileDialog(const std::string& filter, std::string& fileName)
{
    std::string a;
    if (!Take("save", filter, a, fileName)) return false;
    fileName = a;
    return true;
}

bool TScriptedUi::SelectFolder(const std::string& caption, std::string& folder)
{
    std::string a;
    if (!Take("folder", caption, a, folder)) return false;
    folder = a;
    return true;
}

bool TScriptedUi::PickColor(TColor& color)
{
    std::string a;
    if (!Take("color", "", a, std::to_string(color))) return false;
    color = static_cast<TColor>(std::strtoul(a.c_str() + (a.size() && a[0] == '$'), nullptr, a.size() && a[0] == '$' ? 16 : 10));
    return true;
}

bool TScriptedUi::PickFont(std::string& name, int&, int&, TColor&)
{
    std::string a;
    if (!Take("font", name, a)) return false;
    name = a;
    return true;
}

bool TScriptedUi::ChooseItem(const std::string& caption, const std::vector<std::string>& items, int& index)
{
    std::string a;
    if (!Take("choose", caption, a)) return false;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i] == a) {
            index = static_cast<int>(i);
            return true;
        }
    return false;
}

void TScriptedUi::Say(const std::string& text) { Log.push_back({"say", text}); }

void TScriptedUi::BeginWork(const std::string& caption)
{
    ++WorkDepth;
    if (!caption.empty()) WorkCaptions.push_back(caption);
}

bool TScriptedUi::KeepAlive()
{
    ++KeepAliveCalls;
    return CancelWorkAfter < 0 || KeepAliveCalls <= CancelWorkAfter;
}

void TScriptedUi::EndWork() { --WorkDepth; }
