#include "imaging/ImageIO.h"
#include "platform/Errors.h"
#include "platform/UiServices.h"
#include "tests/common/TestFiles.h"

#include <crypto++/blowfish.h>
#include <crypto++/ripemd.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

TBitmap Picture(int width, int height)
{
    TBitmap bitmap(width, height, pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap.SetPixel(x, y, RGB(x * 9, y * 13, (x * y) & 255));
    return bitmap;
}

bool SamePixels(const TBitmap& a, const TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y)) return false;
    return true;
}

// The file format's deciphering written out from its definition on the library's raw Blowfish and
// RIPEMD-256: key = digest of the password, F0 = E(FF..FF), P = D(C) xor F, F = C xor F, and the tail
// xored with E(F).
std::string ReferenceDecipher(const std::string& password, const std::string& cipher)
{
    CryptoPP::byte key[32];
    CryptoPP::RIPEMD256().CalculateDigest(key, reinterpret_cast<const CryptoPP::byte*>(password.data()), password.size());
    CryptoPP::Blowfish::Encryption e(key, sizeof key);
    CryptoPP::Blowfish::Decryption d(key, sizeof key);
    CryptoPP::byte f[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    e.ProcessBlock(f);
    std::string plain(cipher.size(), '\0');
    std::size_t i = 0;
    for (; i + 8 <= cipher.size(); i += 8) {
        CryptoPP::byte block[8];
        d.ProcessBlock(reinterpret_cast<const CryptoPP::byte*>(cipher.data() + i), block);
        for (int k = 0; k < 8; ++k) {
            plain[i + k] = static_cast<char>(block[k] ^ f[k]);
            f[k] ^= static_cast<CryptoPP::byte>(cipher[i + k]);
        }
    }
    CryptoPP::byte stream[8];
    e.ProcessBlock(f, stream);
    for (std::size_t k = 0; i + k < cipher.size(); ++k) plain[i + k] = static_cast<char>(cipher[i + k] ^ stream[k]);
    return plain;
}

class EncryptedImageTest : public ::testing::Test {
protected:
    bool Save(const std::string& name, TBitmap picture, const std::string& password,
              const TImageFileSettings& settings = {})
    {
        ui_.Queue(password);
        return SaveImageFile(dir_.File(name), picture, settings);
    }
    TLoadResult Load(const std::string& name, TBitmap& target, const std::string& password,
                     TImageFileSettings settings = {})
    {
        ui_.Queue(password);
        return LoadImageFile(dir_.File(name), target, settings);
    }

    TTempDir dir_;
    TScriptedUi ui_;
    TUiScope scope_{ui_};
};

} // namespace

// Each encrypted file is the file the plain save writes (JPEG quality, Transparent GIF, no PNG text),
// enciphered whole, the same every time; it reads back as the plain file does, its text left alone.
TEST_F(EncryptedImageTest, FilesAreThePlainFileEncipheredAndReadBackAsIt)
{
    TImageFileSettings settings;
    settings.JpegQuality = 77;
    settings.TransparentGif = true;
    settings.PngTextOn = true;
    settings.PngText = "kept out of encrypted files";
    TImageFileSettings plainSettings = settings;
    plainSettings.PngTextOn = false;
    for (const std::string ext : {"jpg", "gif", "png"}) {
        const TBitmap picture = Picture(41, 29);
        ASSERT_TRUE(Save("p.x" + ext, picture, "s3cret", settings)) << ext;
        ASSERT_TRUE(Save("q.x" + ext, picture, "s3cret", settings)) << ext;
        TBitmap copy = picture;
        ASSERT_TRUE(SaveImageFile(dir_.File("p." + ext), copy, plainSettings));
        const std::string sealed = ReadWholeFile(dir_.File("p.x" + ext));
        const std::string plain = ReadWholeFile(dir_.File("p." + ext));
        EXPECT_EQ(sealed.size(), plain.size()) << ext;
        EXPECT_NE(sealed.substr(0, 8), plain.substr(0, 8)) << ext;
        EXPECT_EQ(ReferenceDecipher("s3cret", sealed), plain) << ext;
        EXPECT_EQ(ReadWholeFile(dir_.File("q.x" + ext)), sealed) << "no salt: " << ext;

        TBitmap fromPlain, fromSealed;
        TImageFileSettings load;
        load.PngText = "before";
        ASSERT_EQ(LoadImageFile(dir_.File("p." + ext), fromPlain, plainSettings), TLoadResult::lrLoaded);
        ui_.Queue("s3cret");
        ASSERT_EQ(LoadImageFile(dir_.File("p.x" + ext), fromSealed, load), TLoadResult::lrLoaded) << ext;
        EXPECT_TRUE(SamePixels(fromPlain, fromSealed)) << ext;
        EXPECT_EQ(fromPlain.PixelFormat(), fromSealed.PixelFormat()) << ext;
        EXPECT_EQ(load.PngText, "before") << "an encrypted PNG's text is not read";
    }
    EXPECT_EQ(ui_.Messages("password"), std::vector<std::string>(9, "Enter password"));
}

TEST_F(EncryptedImageTest, WrongCancelledOrEmptyPasswordChangesNothing)
{
    const TBitmap before = Picture(3, 2);
    for (const std::string name : {"w.xgif", "w.xjpg", "w.xpng"}) {
        ASSERT_TRUE(Save(name, Picture(30, 20), "right"));
        TBitmap target = before;
        for (const char* wrong : {"wrong", "Right", "right "})
            EXPECT_EQ(Load(name, target, wrong), TLoadResult::lrInvalidPassword) << name << wrong;
        EXPECT_EQ(Load(name, target, "\x18"), TLoadResult::lrCancelled) << name;
        EXPECT_EQ(Load(name, target, ""), TLoadResult::lrCancelled) << name;
        EXPECT_TRUE(SamePixels(target, before)) << name;
    }
    // A save without a password writes nothing and leaves a file already there as it was.
    WriteWholeFile(dir_.File("old.xjpg"), "old bytes");
    for (const char* answer : {"\x18", ""}) {
        EXPECT_FALSE(Save("old.xjpg", before, answer));
        EXPECT_FALSE(Save("none.xgif", before, answer));
    }
    EXPECT_EQ(ReadWholeFile(dir_.File("old.xjpg")), "old bytes");
    EXPECT_FALSE(fs::exists(dir_.File("none.xgif")));
}

// The extension alone says a file is encrypted and what is inside: in any case it opens, under a plain
// or another encrypted extension it does not.
TEST_F(EncryptedImageTest, RenamedFilesFollowTheirExtension)
{
    const TBitmap picture = Picture(12, 12);
    ASSERT_TRUE(Save("r.xjpg", picture, "pw"));
    TBitmap target;
    fs::rename(dir_.File("r.xjpg"), dir_.File("r.jpg"));
    TImageFileSettings settings;
    EXPECT_THROW(LoadImageFile(dir_.File("r.jpg"), target, settings), EvekError);
    fs::rename(dir_.File("r.jpg"), dir_.File("r.xgif"));
    EXPECT_EQ(Load("r.xgif", target, "pw"), TLoadResult::lrInvalidPassword);
    fs::rename(dir_.File("r.xgif"), dir_.File("R.XJPG"));
    EXPECT_EQ(Load("R.XJPG", target, "pw"), TLoadResult::lrLoaded);
    EXPECT_EQ(target.Width(), 12);
}
