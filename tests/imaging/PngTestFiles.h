#pragma once
// Hand-made PNG files for the codec tests: a chunk builder with its own CRC-32, and a reader of
// the chunks of a file we wrote.
#include "imaging/Codecs.h"
#include "imaging/PngImage.h"
#include "tests/imaging/DispatchTestTools.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>
#include <zlib.h>

namespace pngtest {

inline const std::string kSignature("\x89PNG\r\n\x1a\n", 8);

// CRC-32 of the PNG format, bit by bit, so the tests do not share the codec's table.
inline std::uint32_t Crc32(const std::string& bytes)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return crc ^ 0xFFFFFFFFu;
}

inline std::string Be32(std::uint32_t v)
{
    return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

inline std::string Deflate(const std::string& raw)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    std::string out(size, '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
             static_cast<uLong>(raw.size()));
    out.resize(size);
    return out;
}

inline std::string Inflate(const std::string& packed, std::size_t expected)
{
    std::string out(expected, '\0');
    uLongf size = static_cast<uLongf>(expected);
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(packed.data()),
                   static_cast<uLong>(packed.size())) != Z_OK)
        throw std::runtime_error("test inflate failed");
    out.resize(size);
    return out;
}

inline std::string Ihdr(std::uint32_t w, std::uint32_t h, int depth, int colorType, int interlace = 0)
{
    return Be32(w) + Be32(h) + char(depth) + char(colorType) + '\0' + '\0' + char(interlace);
}

// A row filtered with PNG filter type f (0 None .. 4 Paeth), the way the format defines it; raw and
// prev are the row and the row above, bpp the bytes of a pixel (1 below a byte).
inline std::string FilterRowPlainly(int f, const std::string& raw, const std::string& prev, int bpp)
{
    auto at = [](const std::string& s, long i) { return i < 0 ? 0 : int(static_cast<unsigned char>(s[i])); };
    std::string out(raw.size(), '\0');
    for (long i = 0; i < long(raw.size()); ++i) {
        const int a = at(raw, i - bpp), b = at(prev, i), c = at(prev, i - bpp);
        const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        const int paeth = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
        const int predictor = f == 1 ? a : f == 2 ? b : f == 3 ? (a + b) / 2 : f == 4 ? paeth : 0;
        out[i] = char(at(raw, i) - predictor);
    }
    return out;
}

class TPngBuilder {
public:
    TPngBuilder() : bytes_(kSignature) {}
    TPngBuilder& Chunk(const std::string& type, const std::string& data, bool badCrc = false)
    {
        bytes_ += Be32(static_cast<std::uint32_t>(data.size())) + type + data;
        bytes_ += Be32(Crc32(type + data) ^ (badCrc ? 1u : 0u));
        return *this;
    }
    TPngBuilder& Header(std::uint32_t w, std::uint32_t h, int depth, int colorType, int interlace = 0)
    {
        return Chunk("IHDR", Ihdr(w, h, depth, colorType, interlace));
    }
    // Rows already carrying their filter bytes.
    TPngBuilder& Data(const std::string& filteredRows) { return Chunk("IDAT", Deflate(filteredRows)); }
    TPngBuilder& End() { return Chunk("IEND", ""); }
    const std::string& Bytes() const { return bytes_; }

private:
    std::string bytes_;
};

struct TFileChunk {
    std::string Type;
    std::string Data;
};

// The chunks of a well-formed file, in order.
inline std::vector<TFileChunk> ChunksOf(const std::string& file)
{
    std::vector<TFileChunk> out;
    std::size_t pos = 8;
    while (pos + 12 <= file.size()) {
        auto b = [&](std::size_t i) { return std::uint32_t(static_cast<unsigned char>(file[i])); };
        std::uint32_t len = (b(pos) << 24) | (b(pos + 1) << 16) | (b(pos + 2) << 8) | b(pos + 3);
        out.push_back({file.substr(pos + 4, 4), file.substr(pos + 8, len)});
        pos += 12 + len;
    }
    return out;
}

// The rows of a file we wrote as its data chunks hold them: filter bytes and filtered samples.
inline std::string InflatedRows(const std::string& file, std::size_t size = 1 << 20)
{
    std::string data;
    for (const auto& c : ChunksOf(file))
        if (c.Type == "IDAT") data += c.Data;
    return Inflate(data, size);
}

inline std::string TypesOf(const std::string& file)
{
    std::string types;
    for (const auto& c : ChunksOf(file)) types += (types.empty() ? "" : " ") + c.Type;
    return types;
}

// The message a load raises, or "" when it loads.
inline std::string LoadMessage(const std::string& file)
{
    TPNGImage png;
    try {
        png.LoadFromMemory(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

inline TPNGImage& Load(TPNGImage& png, const std::string& file)
{
    png.LoadFromMemory(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
    return png;
}

// The PNG codec over files held in strings.
inline std::string PngFileBytes(const TBitmap& source) { return AsString(EncodePng(source)); }
inline std::string Saved(TPNGImage& png) { return AsString(png.SaveToMemory()); }
inline void DecodePngBytes(const std::string& file, TBitmap& target)
{
    DecodePng(reinterpret_cast<const std::uint8_t*>(file.data()), file.size(), target);
}

// Saves through the dispatch with the Png menu's text switch and text.
inline void SaveWithText(const std::string& fileName, const TBitmap& source, bool textOn, const std::string& text)
{
    TImageFileSettings settings;
    settings.PngTextOn = textOn;
    settings.PngText = text;
    TBitmap copy(source);
    SaveImageFile(fileName, copy, settings);
}

} // namespace pngtest
