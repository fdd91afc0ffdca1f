#include "imaging/PngChunks.h"

#include "imaging/ByteStream.h"

#include "platform/Errors.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <libdeflate.h>
#include <zlib.h>

namespace {

const char* const kIndexOutOfRange = "The chunk index especified is out of the range.";
const char* const kNotInList = "The especified chunk is not inside the chunk list containing the method being used. "
                               "The funcion could not be completed.";

// Gamma of the display the corrections aim at; a file gamma of 1/2.2 therefore maps to identity.
constexpr double kDisplayExponent = 2.2;

std::array<std::uint8_t, 256> PowerTable(double exponent)
{
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[i] = static_cast<std::uint8_t>(std::lround(255.0 * std::pow(i / 255.0, exponent)));
    return table;
}

std::array<std::uint8_t, 256> IdentityTable()
{
    std::array<std::uint8_t, 256> table{};
    for (int i = 0; i < 256; ++i) table[i] = static_cast<std::uint8_t>(i);
    return table;
}

std::vector<std::uint8_t> KeywordBytes(const std::string& keyword)
{
    std::vector<std::uint8_t> out(keyword.begin(), keyword.end());
    out.push_back(0);
    return out;
}

} // namespace

TChunk::TChunk(TChunkList* owner, std::string_view type) : owner_(owner), type_(type) {}

TChunkIHDR::TChunkIHDR(TChunkList* owner) : TChunk(owner, Name) { SetHeader(TPngHeader{}); }

TPngHeader TChunkIHDR::Header() const
{
    TPngHeader h;
    const auto& d = Data();
    if (d.size() < 13) return h;
    const TByteReader in(d.data(), d.size(), "PNG", TByteOrder::BigEndian);
    h.Width = in.U32(0);
    h.Height = in.U32(4);
    h.BitDepth = d[8];
    h.ColorType = d[9];
    h.CompressionMethod = d[10];
    h.FilterMethod = d[11];
    h.InterlaceMethod = d[12];
    return h;
}

void TChunkIHDR::SetHeader(const TPngHeader& h)
{
    TByteWriter out(TByteOrder::BigEndian);
    out.Put32(h.Width);
    out.Put32(h.Height);
    for (std::uint8_t b : {h.BitDepth, h.ColorType, h.CompressionMethod, h.FilterMethod, h.InterlaceMethod}) out.Put8(b);
    Data() = out.Take();
}

std::uint32_t TChunkGAMA::Value() const
{
    const auto& d = Data();
    if (d.size() != 4) return 0;
    return TByteReader(d.data(), d.size(), "PNG", TByteOrder::BigEndian).U32(0);
}

std::array<std::uint8_t, 256> TChunkGAMA::CorrectionTable() const
{
    std::uint32_t v = Value();
    if (v == 0 || v > 0x7FFFFFFF) return IdentityTable();
    return PowerTable(1.0 / (v / 100000.0 * kDisplayExponent));
}

std::array<std::uint8_t, 256> TChunkGAMA::InverseTable() const
{
    std::uint32_t v = Value();
    if (v == 0 || v > 0x7FFFFFFF) return IdentityTable();
    return PowerTable(v / 100000.0 * kDisplayExponent);
}

void TChunkGAMA::ApplyToImage(TPngReadState& state) const
{
    state.Gamma = CorrectionTable();
    state.GammaOn = state.Gamma != IdentityTable();
}

std::string TTextChunk::Keyword() const
{
    const auto& d = Data();
    return std::string(d.begin(), std::find(d.begin(), d.end(), std::uint8_t{0}));
}

std::size_t TTextChunk::TextStart() const { return std::min(Data().size(), Keyword().size() + 1); }

std::string TChunkTEXT::Text() const
{
    return std::string(Data().begin() + static_cast<std::ptrdiff_t>(TextStart()), Data().end());
}

void TChunkTEXT::Set(const std::string& keyword, const std::string& text)
{
    auto d = KeywordBytes(keyword);
    d.insert(d.end(), text.begin(), text.end());
    Data() = std::move(d);
}

std::string TChunkZTXT::Text() const
{
    const std::size_t after = TextStart();
    const auto& d = Data();
    // After the keyword: the compression method byte, then the zlib stream.
    if (after + 1 >= d.size()) return {};
    if (d[after] != 0) throw EvekImageError("The compressed text of the PNG image uses an unknown compression method.");
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) throw EvekImageError("Not enough memory to read the PNG text.");
    zs.next_in = const_cast<Bytef*>(d.data() + after + 1);
    zs.avail_in = static_cast<uInt>(d.size() - after - 1);
    std::string text;
    int rc = Z_OK;
    while (rc == Z_OK) {
        if (text.size() >= MaxTextSize) break;
        std::size_t old = text.size();
        text.resize(std::min(MaxTextSize, old + std::max<std::size_t>(4096, old)));
        zs.next_out = reinterpret_cast<Bytef*>(text.data() + old);
        zs.avail_out = static_cast<uInt>(text.size() - old);
        rc = inflate(&zs, Z_NO_FLUSH);
        text.resize(text.size() - zs.avail_out);
        if (rc == Z_BUF_ERROR && zs.avail_out != 0) break; // input ran out
        if (rc == Z_BUF_ERROR) rc = Z_OK;
    }
    inflateEnd(&zs);
    if (rc == Z_STREAM_END) return text;
    if (text.size() >= MaxTextSize) throw EvekImageError("The compressed text of the PNG image is too large.");
    throw EvekImageError("The compressed text of the PNG image is corrupted.");
}

void TChunkZTXT::Set(const std::string& keyword, const std::string& text)
{
    auto d = KeywordBytes(keyword);
    d.push_back(0); // compression method: deflate
    uLongf packedSize = compressBound(static_cast<uLong>(text.size()));
    std::size_t start = d.size();
    d.resize(start + packedSize);
    if (compress2(d.data() + start, &packedSize, reinterpret_cast<const Bytef*>(text.data()),
                  static_cast<uLong>(text.size()), Z_DEFAULT_COMPRESSION) != Z_OK)
        throw EvekImageError("The PNG text could not be compressed.");
    d.resize(start + packedSize);
    Data() = std::move(d);
}

TChunk& TChunkList::Item(int index) const
{
    if (index < 0 || index >= Count()) throw EvekImageError(kIndexOutOfRange);
    return *items_[static_cast<std::size_t>(index)];
}

int TChunkList::IndexOf(const TChunk& chunk) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == &chunk) return static_cast<int>(i);
    return -1;
}

int TChunkList::IndexOfType(std::string_view type) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i]->Type() == type) return static_cast<int>(i);
    return -1;
}

bool TChunkList::IsKnownType(std::string_view type)
{
    for (std::string_view known : {TChunkIEND::Name, TChunkIHDR::Name, TChunkGAMA::Name, TChunkIDAT::Name,
                                   TChunkPLTE::Name, TChunkTEXT::Name, TChunkTRNS::Name, TChunkZTXT::Name})
        if (type == known) return true;
    return false;
}

TChunk& TChunkList::Add(std::string_view type)
{
    std::unique_ptr<TChunk> chunk;
    if (type == TChunkIEND::Name) chunk = std::make_unique<TChunkIEND>(this);
    else if (type == TChunkIHDR::Name) chunk = std::make_unique<TChunkIHDR>(this);
    else if (type == TChunkGAMA::Name) chunk = std::make_unique<TChunkGAMA>(this);
    else if (type == TChunkIDAT::Name) chunk = std::make_unique<TChunkIDAT>(this);
    else if (type == TChunkPLTE::Name) chunk = std::make_unique<TChunkPLTE>(this);
    else if (type == TChunkTEXT::Name) chunk = std::make_unique<TChunkTEXT>(this);
    else if (type == TChunkTRNS::Name) chunk = std::make_unique<TChunkTRNS>(this);
    else if (type == TChunkZTXT::Name) chunk = std::make_unique<TChunkZTXT>(this);
    else chunk = std::make_unique<TChunk>(this, type);
    items_.push_back(std::move(chunk));
    return *items_.back();
}

void TChunkList::Move(TChunk& chunk, int index)
{
    int from = IndexOf(chunk);
    if (from < 0) throw EvekImageError(kNotInList);
    if (index < 0 || index >= Count()) throw EvekImageError(kIndexOutOfRange);
    auto moved = std::move(items_[static_cast<std::size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + index, std::move(moved));
}

void TChunkList::Remove(TChunk& chunk)
{
    int i = IndexOf(chunk);
    if (i < 0) throw EvekImageError(kNotInList);
    items_.erase(items_.begin() + i);
}

void TChunkList::Assign(const TChunkList& other)
{
    if (&other == this) return;
    items_.clear();
    for (const auto& c : other.items_) Add(c->Type()).Data() = c->Data();
}

std::uint32_t ChunkCrc(std::string_view type, const std::uint8_t* data, std::size_t size)
{
    std::uint32_t crc = libdeflate_crc32(0, type.data(), type.size());
    // A null buffer asks for the start value instead.
    if (size > 0) crc = libdeflate_crc32(crc, data, size);
    return crc;
}

int UsedPaletteCount(const TBitmap& bitmap)
{
    if (bitmap.Empty()) return 0;
    const int w = bitmap.Width();
    int top = 0;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const std::uint8_t* row = bitmap.ScanLine(y);
        switch (bitmap.PixelFormat()) {
        case pf1bit:
            for (int i = 0; i < (w + 7) / 8; ++i) {
                std::uint8_t mask = i == w / 8 ? static_cast<std::uint8_t>(0xFF00 >> (w & 7)) : 0xFF;
                if (row[i] & mask) return 2;
            }
            break;
        case pf4bit:
            for (int x = 0; x < w; ++x) top = std::max(top, (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4);
            break;
        case pf8bit: top = std::max<int>(top, *std::max_element(row, row + w)); break;
        default: return 0;
        }
    }
    return top + 1;
}
