// vistrel run end to end: standard output, standard error and exit codes.
#include "tests/common/RunProgram.h"
#include "tests/common/TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

std::string LastErrorLine(const TProgramRun& run)
{
    std::string e = run.err;
    while (!e.empty() && e.back() == '\n') e.pop_back();
    const std::size_t nl = e.rfind('\n');
    return nl == std::string::npos ? e : e.substr(nl + 1);
}

class CliRun : public testing::Test {
protected:
    TTempDir dir;

    std::string Script(const std::string& name, const std::string& text)
    {
        WriteWholeFile(dir.File(name), text);
        return dir.File(name);
    }

    // vistrel with the blank-separated words of args.
    TProgramRun Vistrel(const std::string& args, const std::string& input = "")
    {
        return RunVistrel(Q(args).split(' ', Qt::SkipEmptyParts), input);
    }
};

TEST_F(CliRun, PrintsTheResultAndWhatSaySays)
{
    TProgramRun r = Vistrel("run " + Script("a.vek", "'hello' say\n1\n2\n+\n"));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "hello\n3\n");
    // Lines of a file written on Linux are joined like CR LF lines; a line end inside a string
    // becomes a space.
    r = Vistrel("run " + Script("b.vek", "'a\nb'"));
    EXPECT_EQ(r.out, "a b\n");
}

TEST_F(CliRun, NullResultPrintsNothing)
{
    const TProgramRun r = Vistrel("run " + Script("a.vek", "1 drop"));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");
}

TEST_F(CliRun, ErrorsEndWithTheirMessage)
{
    TProgramRun r = Vistrel("run " + Script("a.vek", "1 nosuch 2"));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(LastErrorLine(r), "undefined word \"nosuch\" near 2");
    r = Vistrel("run " + Script("b.vek", "'shown' say drop"));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "shown\n");
    EXPECT_EQ(LastErrorLine(r), "stack underflow");
    r = Vistrel("run " + dir.File("missing.vek"));
    EXPECT_EQ(r.code, 1);
}

TEST_F(CliRun, ParamsTimeoutAndUsage)
{
    TProgramRun r = Vistrel("run " + Script("a.vek", "%greeting ' ' + %NAME +") + " --param greeting=Hello --param name=World");
    EXPECT_EQ(r.out, "Hello World\n");
    r = Vistrel("run " + Script("b.vek", "repeat false until") + " --timeout 1");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(LastErrorLine(r), "Script timed out after 1 seconds");
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
    TProgramRun r = Vistrel("--home " + dir.File("home") + " run " + dir.File("work/main.vek"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "40\n");
    WriteWholeFile(dir.File("work/bad.vek"), "$$nowhere;");
    r = Vistrel("--home " + dir.File("home") + " run " + dir.File("work/bad.vek"));
    EXPECT_EQ(LastErrorLine(r), "Can not find include file: nowhere.vek");
}

TEST_F(CliRun, DialogsReadStandardInput)
{
    const TProgramRun r = Vistrel("run " + Script("a.vek", "'Name?' ask 'Sure?' confirm if '!' + endif"), "Bob\ny\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_TRUE(r.out.ends_with("Bob!\n")) << r.out;
}

} // namespace
