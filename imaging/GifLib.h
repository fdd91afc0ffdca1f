#pragma once
// The one place that meets giflib: its handles are closed by destructors and its error codes leave
// as EvekImageError with the library's own description.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include <gif_lib.h>

// Reads a GIF held in memory; reading past the end is a truncated file.
class TGifDecoder {
public:
    TGifDecoder(const std::uint8_t* data, std::size_t size);
    ~TGifDecoder();
    TGifDecoder(const TGifDecoder&) = delete;
    TGifDecoder& operator=(const TGifDecoder&) = delete;

    GifFileType* operator->() const { return gif_; }
    GifRecordType RecordType();
    void ImageDesc();
    void Line(GifPixelType* line, int length);
    // The first block of an extension (nullptr when it has none) and its code.
    GifByteType* Extension(int& code);
    GifByteType* ExtensionNext();

    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;

private:
    void Check(int result) const;
    GifFileType* gif_ = nullptr;
};

// Writes a GIF into memory.
class TGifEncoder {
public:
    TGifEncoder();
    ~TGifEncoder();
    TGifEncoder(const TGifEncoder&) = delete;
    TGifEncoder& operator=(const TGifEncoder&) = delete;

    void ScreenDesc(int width, int height, const ColorMapObject* colorMap);
    void Extension(int code, const std::vector<GifByteType>& block);
    void ImageDesc(int width, int height);
    void Line(GifPixelType* line, int length);
    std::vector<std::uint8_t> Close();

    std::vector<std::uint8_t> bytes;

private:
    void Check(int result) const;
    GifFileType* gif_ = nullptr;
};

// A colour map owned by a smart pointer; count is rounded up to a power of two (at least 2) and the
// added entries are black.
struct TGifColorMapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using TGifColorMap = std::unique_ptr<ColorMapObject, TGifColorMapDeleter>;
TGifColorMap MakeGifColorMap(const GifColorType* colors, int count);
