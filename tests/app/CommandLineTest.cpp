// The command line as a newcomer meets it: what starts the window, what is a usage error, and how
// questions and failures read on standard error.
#include "imaging/Codecs.h"
#include "imaging/ImageIO.h"
#include "tests/common/RunProgram.h"
#include "tests/common/TestFiles.h"
#include "tests/common/TestPictures.h"
#include "tests/imaging/DispatchTestTools.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

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
    SavePicture(dir.File("big.bmp"), TBitmap(48, 48));
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

TEST(CommandLine, InfoPrintsWidthHeightAndBits)
{
    TTempDir dir;
    TBitmap bmp = TestPicture(37, 23);
    for (auto [format, bits] : {std::pair{pf8bit, 8}, {pf15bit, 15}, {pf24bit, 24}, {pf1bit, 1}}) {
        TBitmap converted(bmp);
        converted.SetPixelFormat(format);
        WriteImageFileBytes(dir.File("i.bmp"), EncodeBmp(converted));
        const TProgramRun run = RunVistrel({"info", Q(dir.File("i.bmp"))});
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.out, "37 23 " + std::to_string(bits) + "\n");
    }
}

TEST(CommandLine, InfoWithNothingLoadedIsAnErrorWithoutASize)
{
    TTempDir dir;
    WriteImageFileBytes(dir.File("real.dat"), EncodeBmp(TestPicture(4, 4)));
    for (const std::string& name : {dir.File("real.dat"), dir.File("missing.bmp"), dir.File("missing.xyz")}) {
        const TProgramRun run = RunVistrel({"info", Q(name)});
        EXPECT_EQ(run.code, 1) << name;
        EXPECT_EQ(run.out, "") << name;
        EXPECT_NE(run.err, "") << name;
    }
    WriteWholeFile(dir.File("bad.gif"), "GIF89a\1\0\1\0");
    const TProgramRun run = RunVistrel({"info", Q(dir.File("bad.gif"))});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("GIF file"), std::string::npos) << run.err;
    EXPECT_EQ(RunVistrel({"info"}).code, 2);
    EXPECT_EQ(RunVistrel({"info", "a.bmp", "b.bmp"}).code, 2);
}

TEST(CommandLine, ConvertCarriesTheQualityAndChecksIt)
{
    REQUIRE_MAGICK();
    TTempDir dir;
    const QString source = Q(dir.File("s.bmp"));
    WriteImageFileBytes(dir.File("s.bmp"), EncodeBmp(TestPicture(40, 30)));
    TProgramRun run = RunVistrel({"convert", source, Q(dir.File("d.jpg")), "--quality", "23"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(Identify("%Q", dir.File("d.jpg")), "23");
    run = RunVistrel({"convert", source, Q(dir.File("e.jpg"))});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(Identify("%Q", dir.File("e.jpg")), "50") << "the window's start value";

    for (const char* bad : {"0", "101", "abc", "50x", ""})
        EXPECT_EQ(RunVistrel({"convert", source, Q(dir.File("f.jpg")), "--quality", bad}).code, 2) << bad;
    EXPECT_EQ(RunVistrel({"convert", source}).code, 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("f.jpg")));
}

TEST(CommandLine, ConvertBetweenFormatsAndFailsWhenNothingLoads)
{
    TTempDir dir;
    const TBitmap source = TestPicture(21, 13);
    WriteImageFileBytes(dir.File("s.bmp"), EncodeBmp(source));
    TProgramRun run = RunVistrel({"convert", Q(dir.File("s.bmp")), Q(dir.File("d.gif"))});
    ASSERT_EQ(run.code, 0) << run.err;
    run = RunVistrel({"convert", Q(dir.File("d.gif")), Q(dir.File("d.BMP"))});
    ASSERT_EQ(run.code, 0) << run.err;
    TBitmap back;
    LoadFile(dir.File("d.BMP"), back);
    EXPECT_EQ(back.PixelFormat(), pf8bit);
    EXPECT_EQ(back.Width(), 21);

    WriteImageFileBytes(dir.File("s.dat"), EncodeBmp(source));
    run = RunVistrel({"convert", Q(dir.File("s.dat")), Q(dir.File("x.bmp"))});
    EXPECT_EQ(run.code, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.bmp")));
    run = RunVistrel({"convert", Q(dir.File("missing.bmp")), Q(dir.File("x.bmp"))});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("missing.bmp"), std::string::npos) << run.err;
    EXPECT_EQ(RunVistrel({"convert", Q(dir.File("s.bmp")), Q(dir.File("x.xyz"))}).code, 1);
}

} // namespace
