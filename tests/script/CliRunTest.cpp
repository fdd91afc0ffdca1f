// vistrel run end to end: standard output, standard error and exit codes.
#include "tests/common/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>

namespace {

struct TRun {
    int code;
    std::string out;
    std::string err;
    std::string LastErrorLine() const
    {
        std::string e = err;
        while (!e.empty() && e.back() == '\n') e.pop_back();
        const std::size_t nl = e.rfind('\n');
        return nl == std::string::npos ? e : e.substr(nl + 1);
    }
};

class CliRun : public testing::Test {
protected:
    TTempDir dir;

    std::string Script(const std::string& name, const std::string& text)
    {
        WriteWholeFile(dir.File(name), text);
        return dir.File(name);
    }

    TRun Vistrel(const std::string& args, const std::string& input = "")
    {
        WriteWholeFile(dir.File("stdin"), input);
        const std::string command = std::string("QT_QPA_PLATFORM=offscreen ") + VISTREL_BINARY + " " + args + " <" +
                                    dir.File("stdin") + " >" + dir.File("stdout") + " 2>" + dir.File("stderr");
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadWholeFile(dir.File("stdout")),
                ReadWholeFile(dir.File("stderr"))};
    }
};

TEST_F(CliRun, PrintsTheResultAndWhatSaySays)
{
    TRun r = Vistrel("run " + Script("a.vek", "'hello' say\n1\n2\n+\n"));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "hello\n3\n");
    // Lines of a file written on Linux are joined like CR LF lines; a line end inside a string
    // becomes a space.
    r = Vistrel("run " + Script("b.vek", "'a\nb'"));
    EXPECT_EQ(r.out, "a b\n");
}

TEST_F(CliRun, NullResultPrintsNothing)
{
    const TRun r = Vistrel("run " + Script("a.vek", "1 drop"));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(CliRun, ErrorsEndWithTheirMessage)
{
    TRun r = Vistrel("run " + Script("a.vek", "1 nosuch 2"));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.LastErrorLine(), "undefined word \"nosuch\" near 2");
    r = Vistrel("run " + Script("b.vek", "'shown' say drop"));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "shown\n");
    EXPECT_EQ(r.LastErrorLine(), "stack underflow");
    r = Vistrel("run " + dir.File("missing.vek"));
    EXPECT_EQ(r.code, 1);
}

TEST_F(CliRun, ParamsTimeoutAndUsage)
{
    TRun r = Vistrel("run " + Script("a.vek", "%greeting ' ' + %NAME +") + " --param greeting=Hello --param name=World");
    EXPECT_EQ(r.out, "Hello World\n");
    r = Vistrel("run " + Script("b.vek", "repeat false until") + " --timeout 1");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.LastErrorLine(), "Script timed out after 1 seconds");
    EXPECT_EQ(Vistrel("run").code, 2);
    EXPECT_EQ(Vistrel("run a.vek --timeout x").code, 2);
    EXPECT_EQ(Vistrel("run a.vek --param novalue").code, 2);
}

TEST_F(CliRun, IncludesFromTheScriptFolderThenTheScriptsFolder)
{
    std::filesystem::create_directories(dir.File("home/scripts"));
    std::filesystem::create_directories(dir.File("work"));
    WriteWholeFile(dir.File("home/scripts/lib.vek"), "double= 2 *\n;\n");
    WriteWholeFile(dir.File("home/scripts/local.vek"), "1000");
    WriteWholeFile(dir.File("work/local.vek"), "20");
    WriteWholeFile(dir.File("work/main.vek"), "$$lib;\n$$local; double\n");
    TRun r = Vistrel("--home " + dir.File("home") + " run " + dir.File("work/main.vek"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "40\n");
    WriteWholeFile(dir.File("work/bad.vek"), "$$nowhere;");
    r = Vistrel("--home " + dir.File("home") + " run " + dir.File("work/bad.vek"));
    EXPECT_EQ(r.LastErrorLine(), "Can not find include file: nowhere.vek");
}

TEST_F(CliRun, DialogsReadStandardInput)
{
    const TRun r = Vistrel("run " + Script("a.vek", "'Name?' ask 'Sure?' confirm if '!' + endif"), "Bob\ny\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.ends_with("Bob!\n")) << r.out;
}

} // namespace
