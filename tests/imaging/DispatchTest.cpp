#include "DispatchTestTools.h"

#include "imaging/Codecs.h"

#include "imaging/ImageIO.h"
#include "platform/UiServices.h"
#include "tests/common/TestFiles.h"

#include <filesystem>

namespace {

TBitmap Sample(TPixelFormat format = pf24bit)
{
    TBitmap bmp(9, 5, pf24bit);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 9; ++x) bmp.SetPixel(x, y, RGB(x * 25, y * 50, 100));
    bmp.SetPixelFormat(format);
    return bmp;
}

TEST(DispatchTest, ExtensionIsTheUpperCasedTextFromTheLastDot)
{
    EXPECT_EQ(FileExtension("a/b.c/photo.jpeg"), ".JPEG");
    EXPECT_EQ(FileExtension("photo.Tar.Gz"), ".GZ");
    EXPECT_EQ(FileExtension("dir.d/photo"), "");
    EXPECT_EQ(FileExtension("dir.d\\photo"), "");
    EXPECT_EQ(FileExtension("c.d:stream"), "");
    EXPECT_EQ(FileExtension("noext"), "");
    EXPECT_EQ(FileExtension("trailing."), ".");
}

// Which extension reaches which codec is the codec table's test; here what the dispatch adds.
TEST(DispatchTest, GifsAreWrittenTransparentAtStart)
{
    TTempDir dir;
    TImageFileSettings settings;
    TBitmap source = Sample(pf8bit), loaded;
    ASSERT_TRUE(SaveImageFile(dir.File("x.gif"), source, settings));
    LoadImageFile(dir.File("x.gif"), loaded, settings);
    EXPECT_EQ(BitmapRgb(loaded), BitmapRgb(source));
    EXPECT_TRUE(loaded.Transparent());
}

TEST(DispatchTest, UnknownExtensionsLoadAndWriteNothing)
{
    TTempDir dir;
    TImageFileSettings settings;
    TBitmap source = Sample();
    for (const char* name : {"x.pcx", "x", "x.jpg.bak", "x.bmp/"}) {
        EXPECT_TRUE(SaveImageFile(dir.File(name), source, settings)) << "a save still refreshes the list";
        EXPECT_FALSE(std::filesystem::exists(dir.File(name))) << name;
    }
    // A real bitmap under a name the tables do not know is not read.
    WriteImageFileBytes(dir.File("real.dat"), EncodeBmp(Sample()));
    TBitmap target(2, 2, pf8bit);
    const TBitmap before(target);
    LoadImageFile(dir.File("real.dat"), target, settings);
    EXPECT_TRUE(target == before);
    EXPECT_FALSE(CanLoadImageFile("x.dat"));
    EXPECT_TRUE(CanLoadImageFile("x.XPNG"));
    EXPECT_FALSE(CanSaveImageFile("x.tga")) << "Targa is read only";
    EXPECT_FALSE(CanSaveImageFile("x.wmf"));
}

TEST(DispatchTest, AFailingReaderLeavesTheTargetAsItWas)
{
    TTempDir dir;
    TImageFileSettings settings;
    settings.PngText = "kept";
    const std::string good = ReadWholeFile([&] {
        WriteImageFileBytes(dir.File("g.bmp"), EncodeBmp(Sample()));
        return dir.File("g.bmp");
    }());
    WriteWholeFile(dir.File("cut.bmp"), good.substr(0, good.size() / 2));
    WriteWholeFile(dir.File("cut.jpg"), "\xFF\xD8\xFF\xE0");
    WriteWholeFile(dir.File("cut.gif"), "GIF89a");
    WriteWholeFile(dir.File("cut.ico"), std::string("\0\0\1\0\1\0", 6));
    WriteWholeFile(dir.File("cut.png"), "\x89PNG");
    for (const char* name : {"cut.bmp", "cut.jpg", "cut.gif", "cut.ico", "cut.png", "missing.bmp", "missing.ico"}) {
        TBitmap target = Sample(pf4bit);
        target.SetTransparent(true);
        const TBitmap before(target);
        EXPECT_ANY_THROW(LoadImageFile(dir.File(name), target, settings)) << name;
        EXPECT_TRUE(target == before) << name;
        EXPECT_TRUE(target.Transparent()) << name;
    }
    EXPECT_EQ(settings.PngText, "kept") << "a PNG that failed does not replace the text";
}

TEST(DispatchTest, TakingAnImageCopiesEverything)
{
    TTempDir dir;
    TImageFileSettings settings;
    const TBitmap source = Sample(pf4bit);
    WriteImageFileBytes(dir.File("s.bmp"), EncodeBmp(source));
    TBitmap target(100, 3, pf32bit);
    target.SetTransparent(true);
    LoadImageFile(dir.File("s.bmp"), target, settings);
    EXPECT_TRUE(target == source);
    EXPECT_EQ(target.Palette(), source.Palette());
    EXPECT_FALSE(target.Transparent());
}

// A folder where the file should be, or a folder that is missing.
TEST(DispatchTest, WritingWhereNoFileCanBeRaisesTheFileError)
{
    TTempDir dir;
    TImageFileSettings settings;
    TBitmap source = Sample();
    for (const char* name : {"folder.bmp", "folder.jpg", "folder.gif"}) {
        std::filesystem::create_directory(dir.File(name));
        EXPECT_THROW(SaveImageFile(dir.File(name), source, settings), EvekFileError) << name;
        EXPECT_TRUE(std::filesystem::is_directory(dir.File(name)));
    }
    for (const char* name : {"no/such.bmp", "no/such.jpg", "no/such.gif"})
        EXPECT_THROW(SaveImageFile(dir.File(name), source, settings), EvekFileError) << name;
}

} // namespace
