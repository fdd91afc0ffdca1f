#pragma once
#include "script/Atom.h"
#include "script/ScriptError.h"
#include "script/Variant.h"

#include <array>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// vekScript: the system's stack language. Assigning Script loads the text at once (includes,
// line joining, comments, tokens -> atoms); Execute runs the atoms against a data stack.
//
// How a method family plugs in (sets, HTML, internal and object variables, data sources, XML
// trees, paged files):
//  1. The loader cuts a prefixed token into the atom's Name (the variable, tree, file ... name) and
//     Value (the method text), checks the dot rules and their messages, and then calls the family's
//     resolver (a `void Resolve(TAtom&)`) once, at load time. The resolver sets atom.Op to the
//     routine that runs the method, and may keep what it worked out in atom.Aux / atom.Extra, so that
//     running compares no strings. A method it does not know still gets an Op: one that raises the
//     family's "unrecognized ..." message when it runs (unknown methods are run-time errors).
//  2. The resolver is registered with one line in the table of script/ScriptFamilies.cpp.
//  3. State that lives for one run (variables, data sources, trees, open paged files) is a class
//     derived from TScriptRunData, fetched with RunData<T>(family); it is created on first use and
//     destroyed at the start and at the end of every run, so its destructor is the "free and close"
//     hook.
//  4. A method routine takes its arguments with Pop()/PopInt()/PopString() ..., leaves results with
//     Push(), reads its atom through CurrentAtom(), and raises EvekScriptError with its message.
class TScriptRunData {
public:
    virtual ~TScriptRunData() = default;
};

class TvekScript {
public:
    static constexpr int kStackSize = 1000;

    // Event handlers; Sender is always this component. A handler sets handled to true when it
    // served the request; otherwise the engine raises ErrorStr as the handler left it.
    using TonGetVariable = std::function<void(TvekScript& sender, const std::string& symbol, TVariant& value,
                                              bool& handled, std::string& errorStr)>;
    using TonSetVariable = std::function<void(TvekScript& sender, const std::string& symbol, const TVariant& value,
                                              bool& handled, std::string& errorStr)>;
    using TonGetSystem = std::function<void(TvekScript& sender, const std::string& symbol, const std::string& prompt,
                                            TVariant& value, bool& handled, std::string& errorStr)>;
    using TonSetSystem = TonSetVariable;
    using TonGetObject = std::function<void(TvekScript& sender, const std::string& symbol, const std::string& method,
                                            TVariant& value, bool& handled, std::string& errorStr)>;
    using TonSetObject = std::function<void(TvekScript& sender, const std::string& symbol, const std::string& method,
                                            const TVariant& value, bool& handled, std::string& errorStr)>;
    using TonInclude = std::function<void(TvekScript& sender, const std::string& includeFile, std::string& value,
                                          bool& handled, std::string& errorStr)>;

    TvekScript();
    ~TvekScript();
    TvekScript(const TvekScript&) = delete;
    TvekScript& operator=(const TvekScript&) = delete;

    // Published properties, in their order.
    const std::string& Script() const { return script_; }
    // Loads a text that differs from the current one; the same text again does nothing. A load
    // error raises EvekScriptError; the text stays assigned and the atoms made so far stay.
    void SetScript(const std::string& text);
    std::vector<std::string> Params; // name=value lines read by %name tokens
    int ScriptTimeOut = 30;           // seconds, for loading and for each run
    TonGetObject onGetObject;
    TonSetObject onSetObject;
    TonGetVariable onGetVariable;
    TonSetVariable onSetVariable;
    TonSetSystem onSetSystem;
    TonGetSystem onGetSystem;
    TonInclude onInclude;

    // Runs the atoms; the result is the top of the data stack, or Null when it is empty.
    TVariant Execute();
    void Execute(TVariant& result) { result = Execute(); }

    // The data stack. Push raises "stack overflow" when full, Pop "stack underflow" when empty.
    void Push(const TVariant& v)
    {
        if (sp_ == kStackSize) ThrowStackOverflow();
        stack_[sp_++] = v;
    }
    void Push(TVariant&& v)
    {
        if (sp_ == kStackSize) ThrowStackOverflow();
        stack_[sp_++] = std::move(v);
    }
    TVariant Pop()
    {
        if (sp_ == 0) ThrowStackUnderflow();
        return std::move(stack_[--sp_]);
    }
    int PopInt() { return Pop().ToInt(); }
    double PopDouble() { return Pop().ToDouble(); }
    bool PopBool() { return Pop().ToBool(); }
    std::string PopString() { return Pop().ToString(); }
    // For words that work in place: makes sure n values are held. When fewer are, the stack is
    // emptied (the word's own pops are lost) and "stack underflow" raised.
    void Need(int n)
    {
        if (sp_ < n) {
            sp_ = 0;
            ThrowStackUnderflow();
        }
    }
    // The value i places below the top (0 = top); only after Need(i + 1).
    TVariant& Peek(int i = 0) { return stack_[sp_ - 1 - i]; }
    void DropTop(int n = 1) { sp_ -= n; }
    int StackCount() const { return sp_; }

    // The return stack: raises "return stack overflow" / "return stack underflow".
    void ReturnPush(int index);
    int ReturnPop();
    int ReturnCount() const { return rp_; }

    // The atom being run and the program counter (index of the next atom).
    const TAtom& CurrentAtom() const { return *current_; }
    const std::string& CurrentName() const { return current_->Name; }
    const TVariant& CurrentValue() const { return current_->Value; }
    int ProgramCounter() const { return pc_; }
    void SetProgramCounter(int pc) { pc_ = pc; }
    const TAtomList& Atoms() const { return atoms_; }
    int AtomCount() const { return static_cast<int>(atoms_.size()); }

    // The folder of the running program with a trailing "/": replaces "%" in file names.
    std::string ProgramFolder;
    // Where data source files live: the program folder without trailing separator until dsobase or
    // seldir changes it.
    std::string DataSourceFolder;
    // The first "%" of a file name replaced by ProgramFolder.
    std::string ExpandFileName(const std::string& fileName) const;

    // Per-run state of a method family, created on first use and freed at the start and end of
    // every run.
    template <class T>
    T& RunData(TScriptFamily family)
    {
        auto& slot = runData_[static_cast<std::size_t>(family)];
        if (!slot) slot = std::make_unique<T>();
        return static_cast<T&>(*slot);
    }
    void FreeRunData();

    // A word that may have waited (a dialog, a host event, a file) calls this so that the time
    // limit is tested before the next atom.
    void CheckTimeSoon() { timeCountdown_ = 1; }

private:
    friend class TScriptLoader;
    // The millisecond tick count the time limits are measured in.
    static long long TickCount();
    [[noreturn]] static void ThrowStackOverflow();
    [[noreturn]] static void ThrowStackUnderflow();
    void Load();

    std::string script_;
    TAtomList atoms_;
    struct TProcedure {
        std::string name;
        int bodyStart;
    };
    std::vector<TProcedure> procedures_;
    std::vector<std::string> includedFiles_;

    TVariant stack_[kStackSize];
    int sp_ = 0;
    int returnStack_[kStackSize];
    int rp_ = 0;
    int pc_ = 0;
    const TAtom* current_ = nullptr;
    int timeCountdown_ = 0;
    bool running_ = false;
    std::array<std::unique_ptr<TScriptRunData>, static_cast<std::size_t>(TScriptFamily::Count)> runData_;
};
