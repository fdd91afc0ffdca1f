#include "imaging/ByteStream.h"
#include "imaging/PngFilters.h"
#include "imaging/PngImage.h"

#include "platform/Errors.h"
#include "platform/LargeBuffers.h"

#include <algorithm>
#include <cstring>
#include <libdeflate.h>
#include <memory>

namespace {

const std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

bool IsIndexed(TPixelFormat f) { return f == pf1bit || f == pf4bit || f == pf8bit; }

// The number of positions from 4 on whose byte equals each of the four bytes before it: long runs
// of one byte are what deflate packs best. Written without a running count so that the compiler
// can compare many positions at once.
std::size_t RunScore(const std::uint8_t* f, std::size_t n)
{
    std::size_t score = 0;
    for (std::size_t i = 4; i < n; ++i)
        score += (f[i] == f[i - 1]) & (f[i - 1] == f[i - 2]) & (f[i - 2] == f[i - 3]) & (f[i - 3] == f[i - 4]);
    return score;
}

// Filters one row. raw and prev have bpp zero bytes in front of them, so the first pixel's left
// neighbours read as 0 without a case of their own; the encoder knows every neighbour beforehand,
// so each loop has no dependence from one byte to the next.
void FilterRow(int type, const std::uint8_t* raw, const std::uint8_t* prev, std::uint8_t* out, std::size_t n,
               std::size_t bpp)
{
    const std::uint8_t* left = raw - bpp;
    const std::uint8_t* upLeft = prev - bpp;
    switch (type) {
    case pngSub:
        for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(raw[i] - left[i]);
        break;
    case pngUp:
        for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(raw[i] - prev[i]);
        break;
    case pngAverage:
        for (std::size_t i = 0; i < n; ++i) out[i] = static_cast<std::uint8_t>(raw[i] - ((left[i] + prev[i]) >> 1));
        break;
    case pngPaeth:
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<std::uint8_t>(raw[i] - PaethPredictor(left[i], prev[i], upLeft[i]));
        break;
    default: std::memcpy(out, raw, n); break;
    }
}

// One bitmap row as the file stores it: palette indices as they are, colour rows as red, green, blue.
void RawRow(const TBitmap& bmp, int y, std::uint8_t* raw, std::size_t rowBytes,
            const std::array<std::uint8_t, 256>* inverseGamma)
{
    const std::uint8_t* src = bmp.ScanLine(y);
    const int w = bmp.Width();
    switch (bmp.PixelFormat()) {
    case pf1bit:
    case pf4bit:
    case pf8bit: {
        std::memcpy(raw, src, rowBytes);
        // Padding bits of the last byte go out as zeros.
        int usedBits = (w * bmp.BitsPerPixel()) & 7;
        if (usedBits) raw[rowBytes - 1] &= static_cast<std::uint8_t>(0xFF00 >> usedBits);
        return;
    }
    case pf32bit:
        for (int x = 0; x < w; ++x, src += 4, raw += 3) raw[0] = src[2], raw[1] = src[1], raw[2] = src[0];
        break;
    default:
        for (int x = 0; x < w; ++x, src += 3, raw += 3) raw[0] = src[2], raw[1] = src[1], raw[2] = src[0];
        break;
    }
    if (inverseGamma) {
        raw -= rowBytes;
        for (std::size_t i = 0; i < rowBytes; ++i) raw[i] = (*inverseGamma)[raw[i]];
    }
}

// The level of zlib's default compression: much faster here, and the files no larger.
constexpr int kDeflateLevel = 6;

// The filtered rows of the whole image as one zlib stream, compressed in one call.
void DeflateImageData(const std::uint8_t* rows, std::size_t size, std::vector<std::uint8_t>& out)
{
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> deflater(
        libdeflate_alloc_compressor(kDeflateLevel), libdeflate_free_compressor);
    if (!deflater) throw EvekImageError("Not enough memory to write the PNG image.");
    const std::size_t bound = libdeflate_zlib_compress_bound(deflater.get(), size);
    ClearAndReserve(out, bound);
    out.resize(bound);
    const std::size_t packed = libdeflate_zlib_compress(deflater.get(), rows, size, out.data(), out.size());
    if (packed == 0) throw EvekImageError("The PNG image data could not be compressed.");
    out.resize(packed);
}

std::uint8_t Inverse(const TPngWriteState& s, std::uint8_t v) { return s.InverseGamma ? (*s.InverseGamma)[v] : v; }

} // namespace

void TChunkIHDR::PrepareToSave(const TPngWriteState& s)
{
    TPngHeader h;
    h.Width = static_cast<std::uint32_t>(s.Bitmap.Width());
    h.Height = static_cast<std::uint32_t>(s.Bitmap.Height());
    switch (s.Bitmap.PixelFormat()) {
    case pf1bit: h.BitDepth = 1, h.ColorType = 3; break;
    case pf4bit: h.BitDepth = 4, h.ColorType = 3; break;
    case pf8bit: h.BitDepth = 8, h.ColorType = 3; break;
    default: h.BitDepth = 8, h.ColorType = 2; break;
    }
    // The rows are always written top to bottom, so the header never announces interlacing.
    h.InterlaceMethod = 0;
    SetHeader(h);
}

void TChunkPLTE::PrepareToSave(const TPngWriteState& s)
{
    if (!IsIndexed(s.Bitmap.PixelFormat())) return;
    const auto& pal = s.Bitmap.Palette();
    // Every index the pixels use needs an entry; the file allows no more than the depth can index.
    int count = std::max(static_cast<int>(pal.size()), UsedPaletteCount(s.Bitmap));
    count = std::clamp(count, 1, 1 << s.Bitmap.BitsPerPixel());
    auto& d = Data();
    d.assign(static_cast<std::size_t>(count) * 3, 0);
    for (int i = 0; i < count && i < static_cast<int>(pal.size()); ++i) {
        d[3 * i] = Inverse(s, pal[i].rgbRed);
        d[3 * i + 1] = Inverse(s, pal[i].rgbGreen);
        d[3 * i + 2] = Inverse(s, pal[i].rgbBlue);
    }
}

void TChunkTRNS::PrepareToSave(const TPngWriteState& s)
{
    if (IsIndexed(s.Bitmap.PixelFormat())) return;
    TColor c = s.Bitmap.TransparentColor();
    Data() = {0, Inverse(s, GetRValue(c)), 0, Inverse(s, GetGValue(c)), 0, Inverse(s, GetBValue(c))};
}

void TChunkIDAT::PrepareToSave(const TPngWriteState& s)
{
    const TBitmap& bmp = s.Bitmap;
    const bool indexed = IsIndexed(bmp.PixelFormat());
    const std::size_t rowBytes =
        indexed ? (std::size_t(bmp.Width()) * bmp.BitsPerPixel() + 7) / 8 : std::size_t(bmp.Width()) * 3;
    const std::size_t bpp = indexed ? 1 : 3;
    const std::size_t stride = rowBytes + 1; // the filter byte, then the row

    // The raw row and the one above it, each behind bpp zeros (left of the first pixel); the row
    // above is all zeros for the first row. Then one row for each filter but None.
    std::vector<std::uint8_t> scratch(2 * (bpp + rowBytes) + 4 * rowBytes, 0);
    std::uint8_t* cur = scratch.data() + bpp;
    std::uint8_t* prev = cur + rowBytes + bpp;
    auto filtered = [&](int f) { return scratch.data() + 2 * (bpp + rowBytes) + std::size_t(f - 1) * rowBytes; };

    const std::size_t height = static_cast<std::size_t>(bmp.Height());
    TRawBytes rows(stride * height);
    for (std::size_t y = 0; y < height; ++y) {
        RawRow(bmp, static_cast<int>(y), cur, rowBytes, s.InverseGamma);
        int best = pngNone;
        std::size_t bestScore = RunScore(cur, rowBytes);
        // Ties go to the earlier filter, so a later one must score strictly higher.
        if (s.FilterSet != TPNGImage::fsNone) {
            for (int f = pngSub; f <= pngPaeth; ++f) {
                if (!(s.FilterSet & (1 << f))) continue;
                FilterRow(f, cur, prev, filtered(f), rowBytes, bpp);
                const std::size_t score = RunScore(filtered(f), rowBytes);
                if (score > bestScore) best = f, bestScore = score;
            }
        }
        std::uint8_t* out = rows.data() + y * stride;
        out[0] = static_cast<std::uint8_t>(best);
        std::memcpy(out + 1, best == pngNone ? cur : filtered(best), rowBytes);
        std::swap(cur, prev);
    }
    DeflateImageData(rows.data(), rows.size(), Data());
}

void TPNGImage::ResetChunks()
{
    chunks_.Clear();
    chunks_.Add<TChunkIHDR>();
    chunks_.Add<TChunkIDAT>();
    chunks_.Add<TChunkIEND>();
}

TPNGImage::TPNGImage() { ResetChunks(); }

void TPNGImage::Assign(const TPNGImage& other)
{
    if (&other == this) return;
    bitmap_.Assign(other.bitmap_);
    chunks_.Assign(other.chunks_);
    filterSet_ = other.filterSet_;
    interlaced_ = other.interlaced_;
}

std::vector<std::uint8_t> TPNGImage::SaveToMemory() { return SaveToMemory(bitmap_); }

std::vector<std::uint8_t> TPNGImage::SaveToMemory(const TBitmap& source)
{
    if (source.Empty()) throw EvekImageError("An empty image cannot be saved as PNG.");
    // Formats the file cannot hold become 24 bits on a copy; 32-bit rows are packed as they go out.
    TBitmap converted;
    const TBitmap* src = &source;
    if (source.PixelFormat() == pf15bit || source.PixelFormat() == pf16bit) {
        converted.Assign(source);
        converted.SetPixelFormat(pf24bit);
        src = &converted;
    }
    const bool indexed = IsIndexed(src->PixelFormat());

    if (chunks_.Count() == 0) ResetChunks();
    if (TChunkIHDR* header = chunks_.FirstOfClass<TChunkIHDR>()) chunks_.Move(*header, 0);
    else chunks_.Move(chunks_.Add<TChunkIHDR>(), 0);
    // A colour image keeps no palette: its entries would be stale, and an empty one is invalid.
    if (indexed) {
        if (!chunks_.FirstOfClass<TChunkPLTE>()) chunks_.Move(chunks_.Add<TChunkPLTE>(), 1);
    } else {
        while (TChunkPLTE* palette = chunks_.FirstOfClass<TChunkPLTE>()) chunks_.Remove(*palette);
    }
    // Palette images carry no transparency chunk; a colour image carries one at most.
    if (src->Transparent() && !indexed) {
        if (!chunks_.FirstOfClass<TChunkTRNS>()) chunks_.Move(chunks_.Add<TChunkTRNS>(), 1);
    } else {
        while (TChunkTRNS* trns = chunks_.FirstOfClass<TChunkTRNS>()) chunks_.Remove(*trns);
    }
    // Readers stop at IEND, so it goes last; a missing IDAT goes just before it, after any palette.
    if (TChunkIEND* end = chunks_.FirstOfClass<TChunkIEND>()) chunks_.Move(*end, chunks_.Count() - 1);
    else chunks_.Add<TChunkIEND>();
    if (!chunks_.FirstOfClass<TChunkIDAT>()) {
        TChunkIDAT& data = chunks_.Add<TChunkIDAT>();
        chunks_.Move(data, chunks_.Count() - 2);
    }
    interlaced_ = false;

    std::array<std::uint8_t, 256> inverse{};
    const TChunkGAMA* gamma = chunks_.FirstOfClass<TChunkGAMA>();
    if (gamma) inverse = gamma->InverseTable();
    bool gammaOn = false;
    for (int i = 0; gamma && i < 256; ++i) gammaOn |= inverse[i] != i;
    const TPngWriteState state{*src, filterSet_, gammaOn ? &inverse : nullptr};

    std::size_t fileSize = sizeof kSignature;
    for (int i = 0; i < chunks_.Count(); ++i) {
        TChunk& chunk = chunks_.Item(i);
        chunk.PrepareToSave(state);
        fileSize += 12 + chunk.Data().size(); // length, type and check value around the data
    }
    TByteWriter out(TByteOrder::BigEndian);
    out.Reserve(fileSize);
    out.PutBytes(kSignature, 8);
    for (int i = 0; i < chunks_.Count(); ++i) {
        const TChunk& chunk = chunks_.Item(i);
        const auto& d = chunk.Data();
        out.Put32(static_cast<std::uint32_t>(d.size()));
        out.PutText(chunk.Type());
        out.PutBytes(d.data(), d.size());
        out.Put32(ChunkCrc(chunk.Type(), d.data(), d.size()));
    }
    return out.Take();
}
