#include "imaging/ImageIO.h"
#include "platform/Scanner.h"
#include "tests/common/SaneTestDevice.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct TRun {
    int status = -1;
    std::string err;
};

// The program with SANE's test device as the only scanner.
TRun Vistrel(const QStringList& args)
{
    QProcess process;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("ASAN_OPTIONS", "detect_leaks=0");
    env.insert("SANE_CONFIG_DIR", QString::fromStdString(TSaneTestDevice::Instance().Folder()));
    process.setProcessEnvironment(env);
    process.start(VISTREL_BINARY, args);
    TRun run;
    if (!process.waitForFinished(120000)) {
        process.kill();
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    run.err = process.readAllStandardError().toStdString();
    return run;
}

TEST(CliScan, SavesOneScanFromTheNamedOrFirstDevice)
{
    TSaneTestDevice& device = TSaneTestDevice::Instance();
    device.Configure("test-picture \"Solid white\"\n");
    TTempDir dir;
    const QString png = QString::fromStdString(dir.File("scan.png"));
    TRun run = Vistrel({"scan", png, "--device", "test:1"});
    ASSERT_EQ(run.status, 0) << run.err;
    TBitmap image;
    TImageFileSettings settings;
    LoadImageFile(dir.File("scan.png"), image, settings);
    EXPECT_EQ(image.Width(), 19);
    EXPECT_EQ(image.GetPixel(18, image.Height() - 1), clWhite);

    run = Vistrel({"--home", QString::fromStdString(dir.Path()), "scan", QString::fromStdString(dir.File("s.bmp"))});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(std::filesystem::exists(dir.File("s.bmp")));
}

TEST(CliScan, FailuresWriteNothing)
{
    TSaneTestDevice& device = TSaneTestDevice::Instance();
    TTempDir dir;
    const QString out = QString::fromStdString(dir.File("scan.png"));
    device.RemoveDevices();
    TRun run = Vistrel({"scan", out});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, std::string(kScanCannotOpenSource) + "\n");
    device.Configure();
    run = Vistrel({"scan", out, "--device", "test:9"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, std::string(kScanCannotOpenSource) + "\n");
    // A destination that cannot be written is refused before the scanner starts.
    run = Vistrel({"scan", QString::fromStdString(dir.File("scan.xyz"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("scan.xyz"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("scan.png")));
    for (const QStringList& args : {QStringList{"scan"}, QStringList{"scan", out, "--device"},
                                    QStringList{"scan", out, out}, QStringList{"scan", out, "--colour"}})
        EXPECT_EQ(Vistrel(args).status, 2) << args.join(' ').toStdString();
}

} // namespace
