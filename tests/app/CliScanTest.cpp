#include "imaging/ImageIO.h"
#include "platform/Scanner.h"
#include "tests/common/RunProgram.h"
#include "tests/common/SaneTestDevice.h"

#include "tests/common/TestPictures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// The program with SANE's test device as the only scanner.
TProgramRun Vistrel(const QStringList& args)
{
    return RunVistrel(args, {}, {{"SANE_CONFIG_DIR", Q(TSaneTestDevice::Instance().Folder())}});
}

TEST(CliScan, SavesOneScanFromTheNamedOrFirstDevice)
{
    TSaneTestDevice& device = TSaneTestDevice::Instance();
    device.Configure("test-picture \"Solid white\"\n");
    TTempDir dir;
    const QString png = Q(dir.File("scan.png"));
    TProgramRun run = Vistrel({"scan", png, "--device", "test:1"});
    ASSERT_EQ(run.code, 0) << run.err;
    const TBitmap image = LoadPicture(dir.File("scan.png"));
    EXPECT_EQ(image.Width(), 19);
    EXPECT_EQ(image.GetPixel(18, image.Height() - 1), clWhite);

    run = Vistrel({"--home", Q(dir.Path()), "scan", Q(dir.File("s.bmp"))});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("s.bmp")));
}

TEST(CliScan, FailuresWriteNothing)
{
    TSaneTestDevice& device = TSaneTestDevice::Instance();
    TTempDir dir;
    const QString out = Q(dir.File("scan.png"));
    device.RemoveDevices();
    TProgramRun run = Vistrel({"scan", out});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, std::string(kScanCannotOpenSource) + "\n");
    device.Configure();
    run = Vistrel({"scan", out, "--device", "test:9"});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.err, std::string(kScanCannotOpenSource) + "\n");
    // A destination that cannot be written is refused before the scanner starts.
    run = Vistrel({"scan", Q(dir.File("scan.xyz"))});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("scan.xyz"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("scan.png")));
    for (const QStringList& args : {QStringList{"scan"}, QStringList{"scan", out, "--device"},
                                    QStringList{"scan", out, out}, QStringList{"scan", out, "--colour"}})
        EXPECT_EQ(Vistrel(args).code, 2) << args.join(' ').toStdString();
}

} // namespace
