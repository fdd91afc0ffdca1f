#pragma once
// Helpers shared by the codec tests that meet files written by ImageMagick and the libtiff tools.
#include "platform/Errors.h"
#include "platform/TBitmap.h"
#include "tests/common/TestFiles.h"
#include "tests/imaging/DispatchTestTools.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

namespace codectest {

// Runs a shell command; its exit status.
inline int Shell(const std::string& command)
{
    int status = -1;
    RunCommand(command, &status);
    return status;
}

// Standard output of a shell command (standard error is dropped).
inline std::string Output(const std::string& command) { return RunCommand(command); }

// The pixels ImageMagick decodes from a file (or "file[page]"), as red, green, blue bytes.
inline std::string ToolPixels(const std::string& file) { return Output("convert '" + file + "' -depth 8 rgb:-"); }

// Our bitmap's pixels in the same form.
inline std::string OurPixels(const TBitmap& b)
{
    std::string out;
    out.reserve(static_cast<std::size_t>(b.Width()) * b.Height() * 3);
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) {
            TColor c = b.GetPixel(x, y);
            out += static_cast<char>(GetRValue(c));
            out += static_cast<char>(GetGValue(c));
            out += static_cast<char>(GetBValue(c));
        }
    return out;
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

} // namespace codectest
