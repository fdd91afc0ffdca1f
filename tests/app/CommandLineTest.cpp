// The command line as a newcomer meets it: what starts the window, what is a usage error, and how
// questions and failures read on standard error.
#include "imaging/ImageIO.h"
#include "tests/common/RunProgram.h"
#include "tests/common/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

// No display of any kind: what a newcomer on a server or over plain ssh has.
const std::vector<std::pair<QString, std::optional<QString>>> kNoDisplay = {
    {"QT_QPA_PLATFORM", std::nullopt}, {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt},
    {"XDG_SESSION_TYPE", std::nullopt}};

TEST(CommandLine, MistypedWordsAreUsageErrorsEvenWithoutADisplay)
{
    TTempDir home;
    WriteWholeFile(home.File("x.png"), "");
    const QStringList mistakes[] = {{"inof", Q(home.File("x.png"))},
                                    {"help"},
                                    {Q(home.File("missing.bmp"))},
                                    {Q(home.File("x.png")), "nosuchword"},
                                    {"--home"},
                                    {"info", "--home"}};
    for (const QStringList& args : mistakes) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const TProgramRun run = RunVistrel(QStringList{"--home", Q(home.Path())} + args, {}, kNoDisplay);
        EXPECT_EQ(run.code, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("Usage: vistrel"), std::string::npos) << run.err;
    }
    const TProgramRun run = RunVistrel({"inof"}, {}, kNoDisplay);
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), "\"inof\" is neither a subcommand nor a file");
}

TEST(CommandLine, TheWindowWithoutADisplayEndsInOneLine)
{
    TTempDir home;
    const TProgramRun run = RunVistrel({"--home", Q(home.Path())}, {}, kNoDisplay);
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_NE(run.err.find("no display"), std::string::npos) << run.err;

    // A display that names no server ends the same way.
    const TProgramRun wrong =
        RunVistrel({"--home", Q(home.Path())}, {}, {{"QT_QPA_PLATFORM", "xcb"}, {"DISPLAY", ":4711"}});
    EXPECT_EQ(wrong.code, 1);
    EXPECT_EQ(Lines(wrong.err), 1) << wrong.err;
}

TEST(CommandLine, HelpAndVersion)
{
    const TProgramRun help = RunVistrel({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--version"), std::string::npos);
    const TProgramRun version = RunVistrel({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, "Vistrel 9\n");
    EXPECT_EQ(version.err, "");
}

TEST(CommandLine, AnAnswerReadFromAPipeEndsThePromptLine)
{
    TTempDir dir;
    TBitmap picture(48, 48);
    TImageFileSettings settings;
    SaveImageFile(dir.File("big.bmp"), picture, settings);
    const TProgramRun run = RunVistrel({"convert", Q(dir.File("big.bmp")), Q(dir.File("small.ico"))}, "n\n");
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), "Icon must be 32x32. Resize now? [y/N] \n") << run.err;
    EXPECT_EQ(Lines(run.err), 2) << "the question, then the failure on a line of its own";
    EXPECT_FALSE(std::filesystem::exists(dir.File("small.ico")));
}

TEST(CommandLine, AnUnreadableTiffIsOneLine)
{
    TTempDir dir;
    WriteWholeFile(dir.File("bad.tif"), "not a tiff at all");
    const TProgramRun run = RunVistrel({"info", Q(dir.File("bad.tif"))});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, "<" + dir.File("bad.tif") + "> is not a valid TIFF file\n");
}

} // namespace
