#pragma once
// Helpers shared by the codec tests: ImageMagick, netpbm and the libtiff tools as independent
// writers and decoders of fixtures, pixel comparison, and damaged-file drills.
#include "imaging/ImageFiles.h"
#include "imaging/ImageIO.h"
#include "platform/Errors.h"
#include "platform/TBitmap.h"
#include "tests/common/TestFiles.h"
#include "tests/common/RunProgram.h"

#include <gtest/gtest.h>

#include <cctype>
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

// Runs a shell command; its exit status.
inline int Shell(const std::string& command)
{
    int status = -1;
    RunCommand(command, &status);
    return status;
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

// A colourful picture with distinct rows and columns, written as a binary PPM for the tools. With
// fewLevels every channel takes one of six values, so that a palette of the picture is exact.
inline void WritePicture(const std::string& path, int w, int h, int seed = 0, bool fewLevels = false)
{
    std::string ppm = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    auto level = [&](int v) { return static_cast<char>(fewLevels ? v / 43 * 51 : v); };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            ppm += level((x * 255) / (w > 1 ? w - 1 : 1));
            ppm += level((y * 255) / (h > 1 ? h - 1 : 1));
            ppm += level(((x + seed) * 37 + y * 11) & 0xFF);
        }
    WriteWholeFile(path, ppm);
}

// A binary PGM or PPM as netpbm tools write it: samples in file order.
struct TPnm {
    int Width = 0, Height = 0, MaxValue = 0, Channels = 0;
    std::vector<int> Samples;
};

inline TPnm ReadPnm(const std::string& bytes)
{
    TPnm p;
    if (bytes.size() < 2 || bytes[0] != 'P' || (bytes[1] != '5' && bytes[1] != '6')) return p;
    p.Channels = bytes[1] == '6' ? 3 : 1;
    std::size_t at = 2;
    int* fields[] = {&p.Width, &p.Height, &p.MaxValue};
    for (int* field : fields) {
        while (at < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[at]))) ++at;
        while (at < bytes.size() && std::isdigit(static_cast<unsigned char>(bytes[at]))) *field = *field * 10 + (bytes[at++] - '0');
    }
    ++at;
    const int sampleBytes = p.MaxValue > 255 ? 2 : 1;
    for (; at + sampleBytes <= bytes.size(); at += sampleBytes)
        p.Samples.push_back(sampleBytes == 1 ? static_cast<unsigned char>(bytes[at])
                                             : static_cast<unsigned char>(bytes[at]) << 8 | static_cast<unsigned char>(bytes[at + 1]));
    return p;
}

// Feeds every prefix of a file, and copies with bytes overwritten at many places, to a reader: it
// may succeed or raise one of our errors, but nothing else (the sanitizers catch the rest).
inline void ExpectSurvivesDamage(const std::string& bytes, const std::string& path,
                                 const std::function<void(const std::string&)>& read)
{
    auto attempt = [&](const std::string& content) {
        WriteWholeFile(path, content);
        try {
            read(path);
        } catch (const EvekError&) {
        }
    };
    std::size_t step = bytes.size() > 400 ? bytes.size() / 200 : 1;
    for (std::size_t n = 0; n < bytes.size(); n += step) attempt(bytes.substr(0, n));
    unsigned state = 12345;
    for (int round = 0; round < 300; ++round) {
        std::string damaged = bytes;
        for (int k = 0; k < 4; ++k) {
            state = state * 1103515245u + 12345u;
            std::size_t at = (state >> 8) % damaged.size();
            damaged[at] = static_cast<char>(state >> 24 ^ (k & 1 ? 0xFF : 0x80));
        }
        attempt(damaged);
    }
}
