// The engine contracts that a case file cannot state: messages holding "*)" or "$$", the include
// handler's arguments, what survives a failed load or run, the file words on a real folder, and
// the time limit around a waiting host.
#include "script/VekScript.h"

#include "tests/common/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace {

std::string LoadError(TvekScript& s, const std::string& text)
{
    try {
        s.SetScript(text);
    } catch (const EvekScriptError& e) {
        return e.what();
    }
    return "(no error)";
}

std::string RunError(TvekScript& s)
{
    try {
        s.Execute();
    } catch (const EvekScriptError& e) {
        return e.what();
    }
    return "(no error)";
}

std::string RunText(const std::string& text)
{
    TvekScript s;
    s.SetScript(text);
    return s.Execute().Text();
}

TEST(ScriptLoading, CommentMessagesAndNesting)
{
    TvekScript s;
    EXPECT_EQ(LoadError(s, "1 (* open 2 3"), "missing \"*)\" comment terminator near (* open 2 3");
    EXPECT_EQ(LoadError(s, "1 (* a (* b *) 2 *) 3"), "undefined word \"*)\" near 3");
    EXPECT_EQ(RunText("1 (* a *) (* b *) 2"), "2");
}

TEST(ScriptLoading, IncludeMessages)
{
    TvekScript s;
    EXPECT_EQ(LoadError(s, "1 2 $$inc"), "unterminated include near $$inc");
    EXPECT_EQ(LoadError(s, "1 $$lib; 2"), "onInclude handler not assigned, can not handle include file: $$lib; 2");
    std::vector<std::string> asked;
    s.onInclude = [&](TvekScript& sender, const std::string& file, std::string& value, bool& handled,
                      std::string& errorStr) {
        EXPECT_EQ(&sender, &s);
        EXPECT_TRUE(value.empty());
        EXPECT_FALSE(handled);
        EXPECT_EQ(errorStr, "Can not find include file: " + file);
        asked.push_back(file);
        if (file == "lib.vek") {
            value = "40 ";
            handled = true;
        } else if (file == "bad.vek") {
            errorStr = "no such library";
        }
    };
    s.SetScript("$$lib; $$LIB; 2 +");
    EXPECT_EQ(s.Execute().Text(), "42");
    EXPECT_EQ(asked, std::vector<std::string>{"lib.vek"}); // names compare without regard to case
    EXPECT_EQ(LoadError(s, "$$bad;"), "no such library");
    // The list of included files starts empty on every load.
    asked.clear();
    s.SetScript("$$lib; 1 +");
    EXPECT_EQ(asked, std::vector<std::string>{"lib.vek"});
}

TEST(ScriptLoading, EndlessIncludesTimeOut)
{
    TvekScript s;
    s.ScriptTimeOut = 1;
    int n = 0;
    // Every include brings a new name, so nothing stops the expansion but the time limit.
    s.onInclude = [&](TvekScript&, const std::string&, std::string& value, bool& handled, std::string&) {
        value = "$$f" + std::to_string(++n) + ";";
        handled = true;
    };
    EXPECT_EQ(LoadError(s, "$$f0;"), "parser timed out after 1 seconds; you may have circular includes");
}

TEST(ScriptLoading, SameTextIsNotReloadedAndFailedLoadKeepsText)
{
    TvekScript s;
    s.SetScript("1 2 +");
    EXPECT_EQ(s.AtomCount(), 3);
    s.SetScript("1 2 +");
    EXPECT_EQ(s.AtomCount(), 3);
    EXPECT_EQ(LoadError(s, "7 8 nosuch 9"), "undefined word \"nosuch\" near 9");
    EXPECT_EQ(s.Script(), "7 8 nosuch 9");
    EXPECT_EQ(s.AtomCount(), 2); // the atoms made before the error stay
    EXPECT_EQ(s.Execute().Text(), "8");
    // Assigning the failed text again does nothing, so no second error.
    EXPECT_NO_THROW(s.SetScript("7 8 nosuch 9"));
}

TEST(ScriptLoading, PartialAtomsOfAFailedLoadRunSafely)
{
    TvekScript s;
    // The if never received its target; a false flag ends the run instead of jumping nowhere.
    EXPECT_EQ(LoadError(s, "5 0 if 1 nosuch"), "undefined word \"nosuch\" near ");
    EXPECT_EQ(s.Execute().Text(), "5");
}

TEST(ScriptRunning, StackLimitsAndStateBetweenRuns)
{
    TvekScript s;
    s.SetScript("repeat 1 false until");
    EXPECT_EQ(RunError(s), "stack overflow");
    EXPECT_EQ(s.StackCount(), 1000);
    s.SetScript("1 2 3");
    EXPECT_EQ(s.Execute().Text(), "3");
    EXPECT_EQ(s.Execute().Text(), "3"); // a loaded script runs any number of times
    EXPECT_EQ(s.StackCount(), 2);
    s.SetScript("+");
    EXPECT_EQ(RunError(s), "stack underflow"); // every run starts with an empty stack
}

TEST(ScriptRunning, HostPopsFurtherArgumentsAndCannotReenter)
{
    TvekScript s;
    s.onSetVariable = [](TvekScript& sender, const std::string&, const TVariant& value, bool& handled, std::string&) {
        const int y = sender.PopInt();
        const int x = sender.PopInt();
        EXPECT_EQ(x * 100 + y * 10 + value.ToInt(), 123);
        EXPECT_THROW(sender.Execute(), EvekScriptError);
        EXPECT_THROW(sender.SetScript("1"), EvekScriptError);
        handled = true;
    };
    s.SetScript("9 1 2 3 >point.set");
    EXPECT_EQ(s.Execute().Text(), "9");
}

TEST(ScriptRunning, TimeSpentInTheHostCounts)
{
    TvekScript s;
    s.ScriptTimeOut = 1;
    s.onGetVariable = [](TvekScript&, const std::string&, TVariant& value, bool& handled, std::string&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));
        value = TVariant(1);
        handled = true;
    };
    s.SetScript(">slow.get 1 +");
    EXPECT_EQ(RunError(s), "Script timed out after 1 seconds");
}

TEST(ScriptWords, FilesOnAFolder)
{
    TTempDir dir;
    for (const char* name : {"a.txt", "b.TXT", "c.txt", "d.png"}) WriteWholeFile(dir.File(name), "x");
    std::filesystem::create_directory(dir.File("sub.txt"));
    const std::string folder = dir.Path() + "/";
    EXPECT_EQ(RunText("'" + folder + "' '*.txt' files"),
              folder + "a.txt\r\n" + folder + "b.TXT\r\n" + folder + "c.txt\r\n");
    EXPECT_EQ(RunText("'" + folder + "' 'none*' files"), "");

    TvekScript s;
    s.ProgramFolder = folder;
    s.SetScript("'%' '*.png' files");
    EXPECT_EQ(s.Execute().Text(), folder + "d.png\r\n");

    // Renaming never replaces an existing file; deleting leaves folders alone.
    RunText("'" + folder + "a.txt' '" + folder + "c.txt' renamefile");
    EXPECT_TRUE(std::filesystem::exists(dir.File("a.txt")));
    RunText("'" + folder + "a.txt' '" + folder + "e.txt' renamefile");
    EXPECT_TRUE(std::filesystem::exists(dir.File("e.txt")));
    RunText("'" + folder + "e.txt' deletefile '" + folder + "sub.txt' deletefile");
    EXPECT_FALSE(std::filesystem::exists(dir.File("e.txt")));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("sub.txt")));
    EXPECT_EQ(RunText("'" + folder + "new' createdir '" + folder + "new' directoryexists"), "True");
    EXPECT_EQ(RunText("'" + folder + "new' removedir '" + folder + "new' directoryexists"), "False");
    EXPECT_EQ(RunText("'" + folder + "sub.txt/x' createdir '" + folder + "sub.txt' removedir '" + folder +
                  "sub.txt' directoryexists"),
              "True"); // not empty: kept, silently
}

TEST(ScriptWords, ChdirFailsLoudly)
{
    const auto before = std::filesystem::current_path();
    TvekScript s;
    s.SetScript("'/no/such/folder' chdir");
    EXPECT_THROW(s.Execute(), EvekScriptError);
    TTempDir dir;
    s.SetScript("'" + dir.Path() + "' chdir");
    s.Execute();
    EXPECT_EQ(std::filesystem::current_path(), std::filesystem::path(dir.Path()));
    std::filesystem::current_path(before);
}

TEST(ScriptWords, ShellExecuteStartsAProgramWithParameters)
{
    TTempDir dir;
    const std::string marker = dir.File("ran");
    TvekScript s;
    s.SetScript("'/bin/touch' '" + marker + "' shellexecute");
    s.Execute();
    for (int i = 0; i < 100 && !std::filesystem::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(std::filesystem::exists(marker));
}

TEST(ScriptWords, DataSourceFolder)
{
    TvekScript s;
    s.ProgramFolder = "/prog/";
    s.DataSourceFolder = "/prog";
    s.SetScript("'/data/here' dsobase");
    s.Execute();
    EXPECT_EQ(s.DataSourceFolder, "/data/here");
}

} // namespace
