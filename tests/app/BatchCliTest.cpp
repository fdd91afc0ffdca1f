#include "imaging/ImageIO.h"
#include "tests/common/RunProgram.h"
#include "tests/common/TestFiles.h"
#include "tests/common/TestPictures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Runs a shell script in which $V stands for the program, with stdinText as its standard input.
TProgramRun Shell(const TTempDir& dir, const std::string& line, const std::string& stdinText = "")
{
    return RunProgram("bash", {"-c", Q(line)}, stdinText, {{"V", VISTREL_BINARY}, {"HOME", Q(dir.Path())}}, Q(dir.Path()));
}

void WritePicture(const std::string& fileName, int width, int height, int seed)
{
    SavePicture(fileName, TestPicture(width, height, seed));
}

// Every file of a folder, name and bytes, in name order.
std::string FolderBytes(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string all;
    for (const auto& name : names) all += name + ":" + std::to_string(fs::file_size(folder + "/" + name)) + ":" + ReadWholeFile(folder + "/" + name);
    return all;
}

// Twelve photographs in in/, two of them sharing an output name, and one that cannot be read.
void MakeInputs(const TTempDir& dir)
{
    fs::create_directories(dir.File("in"));
    for (int i = 0; i < 10; ++i)
        WritePicture(dir.File("in/p" + std::to_string(i) + (i % 3 ? ".bmp" : ".png")), 60 + 13 * i, 90 - 5 * i, 17 * i);
    WritePicture(dir.File("in/p4.gif"), 33, 70, 5);
    WriteWholeFile(dir.File("in/bad.png"), "not a picture");
    std::string list;
    for (const char* name : {"p0.png", "p1.bmp", "p4.gif", "p2.bmp", "bad.png", "p3.png", "p4.bmp", "p5.bmp",
                             "p6.png", "p7.bmp", "p8.bmp", "p9.png"})
        list += std::string("in/") + name + "\n";
    WriteWholeFile(dir.File("list.txt"), list);
}

} // namespace

TEST(BatchCli, PrintsNamesInListOrderAndExitsOneWhenAFileFailed)
{
    TTempDir dir;
    MakeInputs(dir);
    const TProgramRun run = Shell(dir, "$V batch --width 40 --format png --out out --jobs 1 in/p0.png in/bad.png in/p4.gif in/p4.bmp");
    EXPECT_EQ(run.code, 1) << run.err;
    EXPECT_EQ(run.out, "out/p0.png\nout/p4.png\nout/p4.png\nBatch completed\n");
    EXPECT_EQ(run.err.rfind("in/bad.png: ", 0), 0u) << run.err;
    EXPECT_EQ(LoadPicture(dir.File("out/p4.png")).Height(), 25) << "the later of the two p4 files, 112 x 70, is kept";

    const TProgramRun good = Shell(dir, "$V batch --height 20 --format gif --transparent --out out2/ in/p1.bmp");
    EXPECT_EQ(good.code, 0) << good.err;
    EXPECT_EQ(good.out, "out2/p1.gif\nBatch completed\n");
    EXPECT_EQ(good.err, "");
}

TEST(BatchCli, UsageErrorsExitTwoAndWriteNothing)
{
    TTempDir dir;
    MakeInputs(dir);
    for (const std::string args : {"--width 40 --format png --out '' in/p0.png", "--width 40 --format png in/p0.png",
                                   "--width 40 --height 40 --format png --out o in/p0.png",
                                   "--format png --out o in/p0.png", "--width 0 --format png --out o in/p0.png",
                                   "--width 40 --format jpeg --out o in/p0.png", "--width 40 --format png --out o",
                                   "--width 40 --format png --out o --jobs 0 in/p0.png",
                                   "--width 40 --format png --out o --quality 101 in/p0.png"}) {
        const TProgramRun run = Shell(dir, "$V batch " + args);
        EXPECT_EQ(run.code, 2) << args << "\n" << run.err;
        EXPECT_EQ(run.out, "") << args;
    }
    EXPECT_FALSE(fs::exists(dir.File("o")));
    EXPECT_FALSE(fs::exists(dir.File("p0.png")));
}

// Several at a time, a list from a file or from standard input: the same files as one at a time.
TEST(BatchCli, JobsAndListsGiveTheSameFilesAsOneAtATime)
{
    TTempDir dir;
    MakeInputs(dir);
    const TProgramRun serial = Shell(dir, "$V batch --width 50 --format jpg --quality 80 --out serial --jobs 1 --from list.txt");
    EXPECT_EQ(serial.code, 1);
    const TProgramRun jobs = Shell(dir, "$V batch --width 50 --format jpg --quality 80 --out jobs --jobs 4 --from -",
                            ReadWholeFile(dir.File("list.txt")));
    EXPECT_EQ(jobs.code, 1);
    std::string expected = serial.out;
    for (std::size_t at; (at = expected.find("serial/")) != std::string::npos;) expected.replace(at, 7, "jobs/");
    EXPECT_EQ(jobs.out, expected);
    EXPECT_EQ(jobs.err, serial.err);
    EXPECT_EQ(FolderBytes(dir.File("jobs")), FolderBytes(dir.File("serial")));
    EXPECT_EQ(std::count(serial.out.begin(), serial.out.end(), '\n'), 12) << serial.out;
}

// The lines of a text, sorted, without those equal to drop.
std::vector<std::string> SortedLines(const std::string& text, const std::string& drop)
{
    std::vector<std::string> lines;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        if (text.compare(at, end - at, drop) != 0) lines.push_back(text.substr(at, end - at));
    std::sort(lines.begin(), lines.end());
    return lines;
}

// Beyond one machine, the recipe of the manual: GNU parallel hands chunks of the list to
// `vistrel batch --from -` on any host (here two local job slots), files sharing an output name kept
// in one chunk in list order. The outputs equal one serial run byte for byte.
TEST(BatchCli, ParallelRecipeGivesTheFilesOfOneRun)
{
    TTempDir dir;
    MakeInputs(dir);
    ASSERT_EQ(Shell(dir, "command -v parallel").code, 0) << "GNU parallel is missing: bash scripts/setup.sh";
    const TProgramRun serial = Shell(dir, "$V batch --height 30 --format png --out out --jobs 1 --from list.txt");
    fs::rename(dir.File("out"), dir.File("serial"));
    const TProgramRun spread = Shell(dir,
        "awk '{ n = $0; sub(/.*\\//, \"\", n); sub(/\\.[^.]*$/, \"\", n); print n \"\\t\" $0 }' list.txt |\n"
        "  LC_ALL=C sort -s -t \"$(printf '\\t')\" -k1,1 |\n"
        "  parallel --will-cite --pipe --group-by 1 --colsep '\\t' -N 3 -j 2 -k \\\n"
        "    'cut -f2- | $V batch --height 30 --format png --out out --from -'");
    EXPECT_EQ(spread.code, 1) << "parallel counts the chunk that failed\n" << spread.err;
    EXPECT_EQ(spread.err, serial.err);
    EXPECT_EQ(SortedLines(spread.out, "Batch completed"), SortedLines(serial.out, "Batch completed"));
    EXPECT_EQ(FolderBytes(dir.File("out")), FolderBytes(dir.File("serial")));
}
