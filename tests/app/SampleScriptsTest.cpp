// The sample scripts installed with the program, each run with vistrel run on pictures made here.
#include "imaging/ImageIO.h"
#include "tests/common/RunProgram.h"
#include "tests/common/TestFiles.h"
#include "tests/common/TestPictures.h"
#include "tests/effects/FxTestImages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

class SampleScriptsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(dir_.File("pics"));
        const char* names[] = {"pics/a.png", "pics/b.jpg", "pics/c.bmp"};
        for (int i = 0; i < 3; ++i) SavePicture(dir_.File(names[i]), RandomImage(40 + 20 * i, 30, 20 + i));
        SavePicture(dir_.File("in.png"), RandomImage(40, 30, 7));
    }

    // Runs a sample from the program's "scripts" folder in the test folder; returns standard output.
    std::string Run(const std::string& sample, const QStringList& args = {})
    {
        ran_.insert(sample);
        const TProgramRun run = RunVistrel(QStringList{"run", Q(ScriptsFolder() + sample)} + args, {}, {}, Q(dir_.Path()));
        EXPECT_EQ(run.code, 0) << sample << ": " << run.err;
        return run.out;
    }
    static std::string ScriptsFolder() { return (fs::path(VISTREL_BINARY).parent_path() / "scripts").string() + "/"; }
    TBitmap Load(const std::string& name) const { return LoadPicture(dir_.File(name)); }
    static int Occurrences(const std::string& text, const std::string& part)
    {
        int n = 0;
        for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }

    TTempDir dir_;
    std::set<std::string> ran_;
};

TEST_F(SampleScriptsTest, EachSampleRunsFromAFreshBuild)
{
    // Effects on the working image.
    EXPECT_EQ(Run("effects-chain.vek", {"in.png"}), "40\n");
    const TBitmap chain = Load("chain.png");
    EXPECT_EQ(chain.Width(), 40);
    EXPECT_EQ(chain.GetPixel(0, 0), clWhite); // outside the oval mask
    EXPECT_NE(chain, Load("in.png"));

    EXPECT_EQ(Run("watermark.vek", {"in.png", "--param", "text=Proof"}), "Proof\n");
    EXPECT_EQ(Load("watermarked.jpg").Width(), 40);

    // Folder reports: thumbnails, a template gallery and an XML report of the three pictures.
    EXPECT_EQ(Run("contact-sheet.vek", {"--param", "folder=pics/"}), "3\n");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(Load("thumb-" + std::to_string(i) + ".png").Width(), 96) << i;
    const std::string sheet = ReadWholeFile(dir_.File("contact.html"));
    EXPECT_EQ(Occurrences(sheet, "<img src=\"thumb-"), 3);
    EXPECT_NE(sheet.find("href=\"pics/b.jpg\""), std::string::npos);

    EXPECT_EQ(Run("gallery.vek", {"--param", "folder=pics/"}), "3\n");
    const std::string gallery = ReadWholeFile(dir_.File("gallery.html"));
    EXPECT_EQ(Occurrences(gallery, "<tr>"), 3);
    EXPECT_NE(gallery.find("<title>Gallery</title>"), std::string::npos);
    EXPECT_NE(gallery.find("<td>c.bmp</td><td>80 x 30</td>"), std::string::npos);
    EXPECT_EQ(gallery.find('{'), std::string::npos);

    EXPECT_EQ(Run("xml-report.vek", {"--param", "folder=pics/"}), "3\n");
    const std::string report = ReadWholeFile(dir_.File("report.xml"));
    EXPECT_NE(report.find("file=\"pics/a.png\" width=\"40\" height=\"30\""), std::string::npos) << report;

    EXPECT_EQ(Run("pictures.vek"), ""); // the procedure the others include

    std::set<std::string> installed;
    for (const auto& entry : fs::directory_iterator(ScriptsFolder())) installed.insert(entry.path().filename().string());
    EXPECT_EQ(ran_, installed);
}

} // namespace
