#pragma once
// Helpers shared by the codec tests: ImageMagick as the independent decoder of fixtures it writes
// itself, and pixel comparison.
#include "imaging/ImageFiles.h"
#include "imaging/ImageIO.h"
#include "platform/Errors.h"
#include "platform/TBitmap.h"
#include "tests/common/RunProgram.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

// Loads through the dispatch, as Open does; pngText receives what a PNG gives the Png menu.
inline void LoadFile(const std::string& fileName, TBitmap& target, std::string* pngText = nullptr)
{
    TImageFileSettings settings;
    LoadImageFile(fileName, target, settings);
    if (pngText) *pngText = settings.PngText;
}

inline std::string AsString(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

inline bool HaveMagick()
{
    static const bool have = HaveTools({"convert", "identify"});
    return have;
}

#define REQUIRE_MAGICK()                                                                                              \
    do {                                                                                                               \
        if (!HaveMagick()) GTEST_SKIP() << "ImageMagick's convert is not installed";                                  \
    } while (0)

inline std::string Quote(const std::string& s) { return "'" + s + "'"; }

// Standard output of a shell command; the exit status goes to status.
inline std::string RunCommand(const std::string& command, int* status = nullptr)
{
    TProgramRun run = RunProgram("sh", {"-c", Q(command)});
    if (status) *status = run.code;
    return run.out;
}

// convert ARGS; fails the test when ImageMagick does.
inline void Magick(const std::string& args)
{
    int status = 0;
    RunCommand("convert " + args, &status);
    ASSERT_EQ(status, 0) << "convert " << args;
}

// ImageMagick's decode of a file as 8-bit samples: "rgb" or "rgba".
inline std::vector<std::uint8_t> MagickPixels(const std::string& file, const std::string& map = "rgb")
{
    return std::vector<std::uint8_t>(
        [&] {
            std::string s = RunCommand("convert " + Quote(file) + " -depth 8 " + map + ":-");
            return std::vector<std::uint8_t>(s.begin(), s.end());
        }());
}

inline std::string Identify(const std::string& format, const std::string& file)
{
    return RunCommand("identify -format '" + format + "' " + Quote(file));
}

inline std::vector<std::uint8_t> BitmapRgb(const TBitmap& bmp)
{
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(bmp.Width()) * bmp.Height() * 3);
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x) {
            TColor c = bmp.GetPixel(x, y);
            out.insert(out.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
        }
    return out;
}

// Largest channel difference; sizes must agree.
inline int MaxDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b)
{
    EXPECT_EQ(a.size(), b.size());
    int worst = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
    return a.size() == b.size() ? worst : 256;
}

inline std::vector<std::uint8_t> Bytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

// Cuts the file at many lengths (every length for small files) and expects each cut to be refused
// with EvekImageError; decode must never crash or accept a cut image silently.
inline void ExpectEveryTruncationThrows(const std::vector<std::uint8_t>& file,
                                        const std::function<void(const std::uint8_t*, std::size_t)>& decode,
                                        std::size_t keepTail = 0)
{
    const std::size_t step = file.size() > 4000 ? file.size() / 1500 : 1;
    for (std::size_t len = 0; len + keepTail < file.size(); len += step) {
        // A copy of exactly len bytes, so that the sanitizer sees any read past the end.
        std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(len));
        EXPECT_THROW(decode(cut.data(), cut.size()), EvekImageError) << "cut at " << len << " of " << file.size();
    }
}
