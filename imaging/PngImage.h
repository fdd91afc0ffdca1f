#pragma once
#include "imaging/PngChunks.h"
#include "platform/TBitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A PNG picture: the raster image together with the file's chunk list, so that chunks the codec
// does not interpret survive a load and a save.
class TPNGImage {
public:
    // Bits over the row filters: 1 None, 2 Sub, 4 Up, 8 Average, 16 Paeth.
    enum : std::uint8_t { fsNone = 1, fsSub = 2, fsUp = 4, fsAverage = 8, fsPaeth = 16 };
    static constexpr std::uint8_t DefaultFilterSet = fsNone | fsSub | fsAverage | fsPaeth;

    TPNGImage();
    TPNGImage(const TPNGImage&) = delete;
    TPNGImage& operator=(const TPNGImage&) = delete;

    TBitmap& Bitmap() { return bitmap_; }
    const TBitmap& Bitmap() const { return bitmap_; }
    TChunkList& Chunks() { return chunks_; }
    const TChunkList& Chunks() const { return chunks_; }

    std::uint8_t FilterSet() const { return filterSet_; }
    void SetFilterSet(std::uint8_t filters) { filterSet_ = static_cast<std::uint8_t>((filters & 31) | fsNone); }
    bool Interlaced() const { return interlaced_; }
    void SetInterlaced(bool on) { interlaced_ = on; }

    // From another PNG image: chunks, filter set and interlace flag too. From a bitmap: pixels only.
    void Assign(const TPNGImage& other);
    void Assign(const TBitmap& bitmap) { bitmap_.Assign(bitmap); }

    // Reads a whole PNG file. A failed load raises EvekImageError, leaves the chunks read so far
    // and keeps the bitmap.
    void LoadFromMemory(const std::uint8_t* data, std::size_t size);

    // The bytes of the PNG file. Saving completes the chunk list (header, palette, transparency,
    // data, end) and rewrites the header, palette, transparency and data chunks from the bitmap.
    std::vector<std::uint8_t> SaveToMemory();
    // The same for another bitmap in place of this image's own: what assigning it first and saving
    // would give, without the copy.
    std::vector<std::uint8_t> SaveToMemory(const TBitmap& source);

    // The text a load gives the Png menu: the first tEXt's text, then, after a line break, the
    // first zTXt's text.
    std::string ChunkText() const;

    // The chunk list of a new image: IHDR, IDAT, IEND.
    void ResetChunks();

private:
    TBitmap bitmap_;
    TChunkList chunks_{this};
    std::uint8_t filterSet_ = DefaultFilterSet;
    bool interlaced_ = false;
};
