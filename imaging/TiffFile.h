#pragma once
#include "platform/TBitmap.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The TIFF file and page objects of the reader: the header, the directory chain and each
// directory's entries and strip table. The file's bytes are held in memory so that every value the
// directories point at is checked against the file's length before it is read.

enum TTiffTag : std::uint16_t {
    ttagNewSubfileType = 254,
    ttagImageWidth = 256,
    ttagImageLength = 257,
    ttagBitsPerSample = 258,
    ttagCompression = 259,
    ttagPhotometric = 262,
    ttagStripOffsets = 273,
    ttagSamplesPerPixel = 277,
    ttagRowsPerStrip = 278,
    ttagStripByteCounts = 279,
    ttagXResolution = 282,
    ttagYResolution = 283,
    ttagPlanarConfiguration = 284,
    ttagResolutionUnit = 296,
    ttagSoftware = 305,
    ttagColorMap = 320,
};

enum TTiffType : std::uint16_t { ttypeByte = 1, ttypeAscii = 2, ttypeShort = 3, ttypeLong = 4, ttypeRational = 5 };

// One directory entry; the 4-byte value field stays in the file and is read in the file's byte order
// according to the entry's type, so that short values held in the field come out right in both orders.
struct TTiffEntry {
    std::uint16_t Tag = 0;
    std::uint16_t Type = 0;
    std::uint32_t Count = 0;
    std::uint32_t FieldOffset = 0; // file offset of the value field
};

struct TTiffStrip {
    std::uint32_t Offset = 0;
    std::uint32_t ByteCount = 0;
};

class TFileTiff;

// One image file directory of the chain.
class TGraphicTiff {
public:
    TGraphicTiff(const TFileTiff& file, std::uint32_t offset); // raises when the directory is outside the file

    // The entry with this tag (the last one when it occurs twice), or nullptr.
    const TTiffEntry* FindEntry(std::uint16_t tag) const;
    // The first value of a BYTE, SHORT or LONG entry; false when the tag is missing or holds none.
    bool TagValue(std::uint16_t tag, std::uint32_t& value) const;
    // Every value of a BYTE, SHORT or LONG entry, in host order; empty when it cannot be read.
    std::vector<std::uint32_t> Values(const TTiffEntry& entry) const;

    int StripCount() const { return static_cast<int>(strips_.size()); }
    const TTiffStrip* Strip(int index) const;
    std::uint32_t NextDirectory() const { return next_; }
    const TFileTiff& File() const { return file_; }

private:
    const TFileTiff& file_;
    std::vector<TTiffEntry> entries_;
    std::vector<TTiffStrip> strips_;
    std::uint32_t next_ = 0;
};

class TFileTiff {
public:
    // At most this many directories are followed; the reader looks at no more.
    static constexpr int MaxPages = 256;

    // Reads the file and its directory chain; a missing or unreadable file is simply not valid.
    void SetFileName(const std::string& fileName);
    // The same from bytes already in memory.
    void SetBytes(std::vector<std::uint8_t> bytes);

    const std::string& FileName() const { return fileName_; }
    bool Valid() const { return valid_; }
    bool Intel() const { return intel_; }
    int PageCount() const { return static_cast<int>(pages_.size()); }
    const TGraphicTiff* Page(int index) const;

    std::uint64_t Size() const { return bytes_.size(); }
    const std::uint8_t* Data() const { return bytes_.data(); }
    // Byte-order aware reads; the caller has checked the range.
    std::uint16_t Get16(std::uint64_t offset) const;
    std::uint32_t Get32(std::uint64_t offset) const;
    bool InFile(std::uint64_t offset, std::uint64_t length) const { return offset <= Size() && length <= Size() - offset; }

private:
    void Parse();

    std::string fileName_;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::unique_ptr<TGraphicTiff>> pages_;
    bool intel_ = true;
    bool valid_ = false;
};

// Reads the pages of an open file into target (the last readable page wins). When no page could be
// read, raises EvekImageError with the readers' reasons; otherwise the reasons pages were passed over
// are shown as messages. The file name names the file in the messages.
void DecodeTiff(const TFileTiff& file, TBitmap& target);
// The bytes of a TIFF file holding the bitmap.
std::string EncodeTiff(const TBitmap& source);
