#include "script/VekScript.h"

#include "platform/ProgramFolder.h"
#include "platform/UiServices.h"
#include "script/ScriptText.h"

#include <chrono>

namespace {

// How many atoms run between two looks at the clock. Words that may wait (dialogs, host events,
// files) ask for a look before the next atom, so a long wait is caught at once; plain words take
// nanoseconds, so the limit is kept to well within a millisecond.
constexpr int kTimeCheckInterval = 64;

// Clears the running mark however a run ends.
struct TRunMark {
    bool& running;
    explicit TRunMark(bool& r) : running(r) { running = true; }
    ~TRunMark() { running = false; }
};

} // namespace

TvekScript::TvekScript()
    : ProgramFolder(::ProgramFolder())
{
    DataSourceFolder = ProgramFolder;
    if (!DataSourceFolder.empty() && DataSourceFolder.back() == '/') DataSourceFolder.pop_back();
}

TvekScript::~TvekScript() = default;

long long TvekScript::TickCount()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void TvekScript::ThrowStackOverflow() { throw EvekScriptError("stack overflow"); }
void TvekScript::ThrowStackUnderflow() { throw EvekScriptError("stack underflow"); }

void TvekScript::ReturnPush(int index)
{
    if (rp_ == kStackSize) throw EvekScriptError("return stack overflow");
    returnStack_[rp_++] = index;
}

int TvekScript::ReturnPop()
{
    if (rp_ == 0) throw EvekScriptError("return stack underflow");
    return returnStack_[--rp_];
}

std::string TvekScript::ExpandFileName(const std::string& fileName) const
{
    return ExpandProgramFolder(fileName, ProgramFolder);
}

void TvekScript::FreeRunData()
{
    for (auto& slot : runData_) slot.reset();
}

void TvekScript::SetScript(const std::string& text)
{
    if (text == script_) return;
    // The atoms are walked by pointer while a run is on; a host must not reload under it.
    if (running_) throw EvekScriptError("can not load a script while it runs");
    script_ = text;
    Load();
}

TVariant TvekScript::Execute()
{
    if (running_) throw EvekScriptError("can not run a script while it runs");
    TVariant result = TVariant::Null();
    sp_ = 0;
    rp_ = 0;
    FreeRunData();
    if (atoms_.empty()) return result;

    TRunMark mark(running_);
    const long long deadline = TickCount() + static_cast<long long>(ScriptTimeOut) * 1000;
    const TAtom* atoms = atoms_.data();
    const unsigned n = static_cast<unsigned>(atoms_.size());
    pc_ = 0;
    timeCountdown_ = 1;
    // The counter leaves the loop also when a jump target was never set (-1): that can only happen
    // after a failed load, whose partial atoms a host may still run.
    while (static_cast<unsigned>(pc_) < n) {
        if (--timeCountdown_ <= 0) {
            if (TickCount() > deadline)
                throw EvekScriptError("Script timed out after " + std::to_string(ScriptTimeOut) + " seconds");
            // The window repaints while a long script runs, and its Cancel stops it here.
            if (!Ui().KeepAlive()) throw EvekScriptError("Script cancelled");
            timeCountdown_ = kTimeCheckInterval;
        }
        current_ = atoms + pc_++;
        current_->Op(*this);
    }
    if (sp_ > 0) result = Pop();
    FreeRunData();
    return result;
}
