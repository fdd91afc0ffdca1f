#include "imaging/TiffFile.h"

#include "imaging/Codecs.h"
#include "platform/Errors.h"
#include "platform/UiServices.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>

// ---------------------------------------------------------------------------------------------------------
// File and page objects

std::uint16_t TFileTiff::Get16(std::uint64_t offset) const
{
    const std::uint8_t* p = bytes_.data() + offset;
    return intel_ ? static_cast<std::uint16_t>(p[0] | (p[1] << 8)) : static_cast<std::uint16_t>((p[0] << 8) | p[1]);
}

std::uint32_t TFileTiff::Get32(std::uint64_t offset) const
{
    const std::uint8_t* p = bytes_.data() + offset;
    if (intel_) return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24);
    return (std::uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

void TFileTiff::SetFileName(const std::string& fileName)
{
    fileName_ = fileName;
    std::vector<std::uint8_t> bytes;
    // Only an existing regular file is opened: a name that does not exist must not leave a file behind.
    std::error_code ec;
    if (std::filesystem::is_regular_file(fileName, ec)) {
        std::ifstream in(fileName, std::ios::binary);
        auto size = std::filesystem::file_size(fileName, ec);
        // Directory offsets are 32-bit, so nothing past 4 GiB can be addressed.
        if (in && !ec && size <= 0xFFFFFFFFull) {
            bytes.resize(static_cast<std::size_t>(size));
            if (!in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size))) bytes.clear();
        }
    }
    SetBytes(std::move(bytes));
}

void TFileTiff::SetBytes(std::vector<std::uint8_t> bytes)
{
    bytes_ = std::move(bytes);
    pages_.clear();
    valid_ = false;
    intel_ = true;
    Parse();
}

void TFileTiff::Parse()
{
    if (bytes_.size() < 8) return;
    if (bytes_[0] == 'I' && bytes_[1] == 'I')
        intel_ = true;
    else if (bytes_[0] == 'M' && bytes_[1] == 'M')
        intel_ = false;
    else
        return;
    if (Get16(2) != 42) return;
    valid_ = true;

    // A chain that loops back or leaves the file ends there; the pages read so far stay.
    std::set<std::uint32_t> seen;
    std::uint32_t offset = Get32(4);
    while (offset >= 8 && PageCount() < MaxPages && seen.insert(offset).second) {
        try {
            pages_.push_back(std::make_unique<TGraphicTiff>(*this, offset));
        } catch (const EvekImageError&) {
            break;
        }
        offset = pages_.back()->NextDirectory();
    }
}

const TGraphicTiff* TFileTiff::Page(int index) const
{
    if (index < 0 || index >= PageCount()) return nullptr;
    return pages_[static_cast<std::size_t>(index)].get();
}

TGraphicTiff::TGraphicTiff(const TFileTiff& file, std::uint32_t offset) : file_(file)
{
    if (!file.InFile(offset, 2)) throw EvekImageError("TIFF directory outside the file");
    std::uint16_t count = file.Get16(offset);
    std::uint64_t pos = std::uint64_t(offset) + 2;
    if (!file.InFile(pos, std::uint64_t(count) * 12 + 4)) throw EvekImageError("TIFF directory outside the file");
    entries_.resize(count);
    for (auto& e : entries_) {
        e.Tag = file.Get16(pos);
        e.Type = file.Get16(pos + 2);
        e.Count = file.Get32(pos + 4);
        e.FieldOffset = static_cast<std::uint32_t>(pos + 8);
        pos += 12;
    }
    next_ = file.Get32(pos);

    const TTiffEntry* offsets = FindEntry(ttagStripOffsets);
    const TTiffEntry* counts = FindEntry(ttagStripByteCounts);
    if (offsets && counts && offsets->Count == counts->Count) {
        auto o = Values(*offsets);
        auto c = Values(*counts);
        if (o.size() == c.size()) {
            strips_.resize(o.size());
            for (std::size_t i = 0; i < o.size(); ++i) strips_[i] = TTiffStrip{o[i], c[i]};
        }
    }
}

const TTiffEntry* TGraphicTiff::FindEntry(std::uint16_t tag) const
{
    const TTiffEntry* found = nullptr;
    for (const auto& e : entries_)
        if (e.Tag == tag) found = &e;
    return found;
}

std::vector<std::uint32_t> TGraphicTiff::Values(const TTiffEntry& entry) const
{
    unsigned size = entry.Type == ttypeByte ? 1 : entry.Type == ttypeShort ? 2 : entry.Type == ttypeLong ? 4 : 0;
    if (size == 0) return {};
    std::uint64_t total = std::uint64_t(entry.Count) * size;
    std::uint64_t at = total <= 4 ? entry.FieldOffset : file_.Get32(entry.FieldOffset);
    if (!file_.InFile(at, total)) return {};
    std::vector<std::uint32_t> values(entry.Count);
    for (auto& v : values) {
        v = size == 1 ? file_.Data()[at] : size == 2 ? file_.Get16(at) : file_.Get32(at);
        at += size;
    }
    return values;
}

bool TGraphicTiff::TagValue(std::uint16_t tag, std::uint32_t& value) const
{
    const TTiffEntry* e = FindEntry(tag);
    if (!e || e->Count == 0) return false;
    TTiffEntry first = *e;
    first.Count = 1; // one value always sits in the field
    auto v = Values(first);
    if (v.empty()) return false;
    value = v[0];
    return true;
}

const TTiffStrip* TGraphicTiff::Strip(int index) const
{
    if (index < 0 || index >= StripCount()) return nullptr;
    return &strips_[static_cast<std::size_t>(index)];
}

// ---------------------------------------------------------------------------------------------------------
// Reading pages

namespace {

enum TTiffKind { tkBilevel, tkGrey, tkPalette, tkRgb };

// Reads one page into a bitmap; false when the page gave nothing, with the reason added to told.
class TTiffPageReader {
public:
    TTiffPageReader(const TGraphicTiff& page, TTiffKind kind, std::uint32_t photometric, std::vector<std::string>& told)
        : page_(page), kind_(kind), photometric_(photometric), told_(told)
    {
    }
    bool Read(TBitmap& result);

private:
    bool Need(std::uint16_t tag, const char* message, std::uint32_t& value) const
    {
        if (page_.TagValue(tag, value)) return true;
        told_.push_back(message);
        return false;
    }
    static void CheckRange(std::uint32_t value)
    {
        if (value >= 65536) throw EvekImageError("Range check error");
    }
    bool ReadBitsPerSample();
    void FillPalette(TBitmap& bitmap) const;
    bool CheckStrips();
    void CopyRows(TBitmap& bitmap) const;

    const TGraphicTiff& page_;
    TTiffKind kind_;
    std::uint32_t photometric_;
    std::vector<std::string>& told_;
    std::uint32_t width_ = 0, height_ = 0, bits_ = 1, samples_ = 1;
    std::uint64_t rowBytes_ = 0;
    std::uint32_t rowsPerStrip_ = 0;
};

bool TTiffPageReader::ReadBitsPerSample()
{
    if (kind_ == tkBilevel) return true;
    const TTiffEntry* e = page_.FindEntry(ttagBitsPerSample);
    auto values = e ? page_.Values(*e) : std::vector<std::uint32_t>{};
    if (values.empty()) {
        told_.push_back("Error reading tag Bits Per Sample");
        return false;
    }
    for (auto v : values) CheckRange(v);
    bits_ = values[0];
    if (kind_ == tkRgb) {
        // Every colour sample must be a byte; a file announcing one size for all gives it once.
        bool allEight = std::all_of(values.begin(), values.begin() + std::min<std::size_t>(values.size(), 3),
                                    [](std::uint32_t v) { return v == 8; });
        if (!allEight) {
            told_.push_back("Error: Bits Per Sample (RGB) not 8");
            return false;
        }
        return true;
    }
    if (kind_ == tkGrey && bits_ != 4 && bits_ != 8) {
        told_.push_back("Error: Bits Per Sample not 4 or 8");
        return false;
    }
    if (kind_ == tkPalette && bits_ != 1 && bits_ != 4 && bits_ != 8) {
        told_.push_back("Error: Bits Per Sample not 4 or 8");
        return false;
    }
    return true;
}

void TTiffPageReader::FillPalette(TBitmap& bitmap) const
{
    std::size_t entries = std::size_t(1) << bitmap.BitsPerPixel();
    std::vector<TRGBQuad> palette(entries);
    for (std::size_t i = 0; i < entries; ++i) {
        auto v = static_cast<std::uint8_t>(i);
        palette[i] = TRGBQuad{v, v, v, 0};
    }
    if (kind_ == tkBilevel || kind_ == tkGrey) {
        // White-is-zero pictures show their lowest value as white.
        bool inverted = photometric_ == 0;
        for (std::size_t i = 0; i < entries; ++i) {
            std::size_t level = inverted ? entries - 1 - i : i;
            auto v = static_cast<std::uint8_t>(level * 255 / (entries - 1));
            palette[i] = TRGBQuad{v, v, v, 0};
        }
    } else if (kind_ == tkPalette) {
        const TTiffEntry* map = page_.FindEntry(ttagColorMap);
        std::uint32_t n = map->Count / 3;
        if (map && n >= 1 && n <= 256) {
            auto values = page_.Values(*map);
            if (values.size() >= 3 * std::size_t(n)) {
                for (std::size_t i = 0; i < std::min<std::size_t>(n, entries); ++i)
                    palette[i] = TRGBQuad{static_cast<std::uint8_t>(values[2 * n + i] >> 8),
                                          static_cast<std::uint8_t>(values[n + i] >> 8),
                                          static_cast<std::uint8_t>(values[i] >> 8), 0};
            }
        }
    }
    bitmap.SetPalette(palette);
}

// Every strip the rows need must lie in the file and hold its rows; checked before the bitmap is
// allocated, so that a few hostile bytes cannot ask for a huge image.
bool TTiffPageReader::CheckStrips()
{
    const TFileTiff& file = page_.File();
    rowBytes_ = (std::uint64_t(width_) * bits_ * samples_ + 7) / 8;
    // A missing RowsPerStrip means the whole image is one strip.
    rowsPerStrip_ = height_;
    if (page_.TagValue(ttagRowsPerStrip, rowsPerStrip_) && (rowsPerStrip_ == 0 || rowsPerStrip_ > height_))
        rowsPerStrip_ = height_;
    std::uint64_t stripsNeeded = (std::uint64_t(height_) + rowsPerStrip_ - 1) / rowsPerStrip_;
    for (std::uint64_t s = 0; s < stripsNeeded; ++s) {
        const TTiffStrip* strip = page_.Strip(static_cast<int>(std::min<std::uint64_t>(s, 0x7FFFFFFF)));
        std::uint64_t rows = std::min<std::uint64_t>(rowsPerStrip_, height_ - s * rowsPerStrip_);
        if (!strip || strip->ByteCount < rows * rowBytes_ || !file.InFile(strip->Offset, strip->ByteCount)) {
            told_.push_back("Error reading image data");
            return false;
        }
    }
    return true;
}

void TTiffPageReader::CopyRows(TBitmap& bitmap) const
{
    const TFileTiff& file = page_.File();
    const std::uint64_t rowBytes = rowBytes_;
    const std::uint32_t rowsPerStrip = rowsPerStrip_;
    for (std::uint32_t y = 0; y < height_; ++y) {
        const TTiffStrip* strip = page_.Strip(static_cast<int>(y / rowsPerStrip));
        const std::uint8_t* src = file.Data() + strip->Offset + std::uint64_t(y % rowsPerStrip) * rowBytes;
        std::uint8_t* dst = bitmap.ScanLine(static_cast<int>(y));
        if (kind_ == tkRgb) {
            for (std::uint32_t x = 0; x < width_; ++x, src += samples_, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
        } else if (samples_ == 1) {
            std::memcpy(dst, src, static_cast<std::size_t>(rowBytes));
        } else {
            // Extra samples (such as alpha) of 8-bit pixels are left out.
            for (std::uint32_t x = 0; x < width_; ++x, src += samples_) dst[x] = src[0];
        }
    }
}

bool TTiffPageReader::Read(TBitmap& result)
{
    std::uint32_t compression = 0;
    if (!Need(ttagImageWidth, "Error reading tag Image Width", width_)) return false;
    if (!Need(ttagImageLength, "Error reading tag Image Height", height_)) return false;
    if (!Need(ttagCompression, "Error reading tag Compression", compression)) return false;
    CheckRange(width_);
    CheckRange(height_);
    if (compression != 1) {
        static const char* const messages[] = {"Cant read compressed bilevel image", "Cant read compressed Gray Scale Image",
                                               "Cant read compressed ColorPaletImage",
                                               "Cant read compressed RGB Full Color Image"};
        told_.push_back(messages[kind_]);
        return false;
    }
    if (!ReadBitsPerSample()) return false;
    if (!page_.TagValue(ttagSamplesPerPixel, samples_) || samples_ == 0) samples_ = kind_ == tkRgb ? 3 : 1;
    CheckRange(samples_);
    std::uint32_t planar = 1;
    page_.TagValue(ttagPlanarConfiguration, planar);
    // Pixels must be whole bytes when samples beyond the first are stepped over; colour planes
    // stored apart are not read.
    if ((kind_ == tkRgb && samples_ < 3) || (samples_ > 1 && (bits_ != 8 || planar != 1))) return false;
    if (width_ == 0 || height_ == 0) return false;

    if (kind_ == tkPalette && !page_.FindEntry(ttagColorMap)) {
        told_.push_back("Error reading tag Color Table Offset");
        return false;
    }
    if (!CheckStrips()) return false;
    TPixelFormat format = kind_ == tkRgb ? pf24bit : bits_ == 1 ? pf1bit : bits_ == 4 ? pf4bit : pf8bit;
    TBitmap bitmap(static_cast<int>(width_), static_cast<int>(height_), format);
    if (kind_ != tkRgb) FillPalette(bitmap);
    CopyRows(bitmap);
    result = std::move(bitmap);
    return true;
}

} // namespace

void LoadTiffFile(const std::string& fileName, TBitmap& target)
{
    TFileTiff file;
    file.SetFileName(fileName);
    DecodeTiff(file, target);
}

void DecodeTiff(const TFileTiff& file, TBitmap& target)
{
    const std::string& fileName = file.FileName();
    // The readers' reasons become the one error of a file that gave nothing; a file that gave a
    // page still tells why its other pages were passed over.
    if (!file.Valid()) throw EvekImageError("<" + fileName + "> is not a valid TIFF file");

    std::vector<std::string> told;
    TBitmap result;
    bool loaded = false;
    for (int i = 0; i < file.PageCount(); ++i) {
        const TGraphicTiff& page = *file.Page(i);
        std::uint32_t photometric = 0;
        if (!page.TagValue(ttagPhotometric, photometric)) {
            told.push_back("Error reading tag Photometric interpretation");
            break;
        }
        if (photometric > 3) {
            told.push_back("Error evaluating Photometric interpretation: " + std::to_string(photometric));
            break;
        }
        TTiffKind kind = tkRgb;
        if (photometric <= 1) {
            std::uint32_t bits = 1;
            page.TagValue(ttagBitsPerSample, bits);
            if (bits == 4 || bits == 8)
                kind = tkGrey;
            else if (bits == 1)
                kind = tkBilevel;
            else
                continue; // other grey depths are not read, without a message
        } else if (photometric == 3) {
            kind = tkPalette;
        }
        if (TTiffPageReader(page, kind, photometric, told).Read(result)) loaded = true;
    }
    if (!loaded) {
        std::string reasons;
        for (const auto& line : told) reasons += (reasons.empty() ? "" : "\n") + line;
        throw EvekImageError(reasons.empty() ? "No image could be read from " + fileName + "." : reasons);
    }
    for (const auto& line : told) Ui().ShowMessage(line);
    target.Assign(result);
}
