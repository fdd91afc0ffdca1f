#include "imaging/ByteStream.h"
#include "imaging/PngFilters.h"
#include "imaging/PngImage.h"

#include "platform/Errors.h"
#include "platform/LargeBuffers.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <libdeflate.h>
#include <memory>
#include <zlib.h>

namespace {

const char* const kInvalidHeader = "Invalid Portable Graphics Network image, it has an invalid file header.";
const char* const kUnknownCritical =
    "The currently being loaded image contains critical(s) chunk(s) not reconized by the decoder.";
const char* const kCorrupted = "Can't read the PNG image, it has corrupted data.";
const char* const kNoHeaderFirst =
    "This PNG image is invalid, the IHDR chunk is either not present or it isn't the first chunk.";
const char* const kNoData = "The current image being loaded has no data and could not be loaded.";
const char* const kUnknownColorType = "Could not read the image because it has an unknown color type.";
const char* const kUnknownFilter = "The image could not be loaded because it uses an unknown set of filter types.";
const char* const kNoPalette = "The current image requeries a palette but it is not avaliable.";
const char* const kInvalidPalette = "The current image being loaded has an invalid palette!";
const char* const kTruncated = "The PNG image is truncated.";
const char* const kChunkTooLong = "The PNG image has a chunk longer than the PNG format allows.";
const char* const kInvalidIhdr = "The PNG image has an invalid IHDR chunk.";
const char* const kSecondIhdr = "The PNG image has more than one IHDR chunk.";
const char* const kBadBitDepth = "The PNG image has a bit depth that its color type does not allow.";
const char* const kUnknownMethod = "The PNG image uses an unknown compression or filter method.";
const char* const kUnknownInterlace = "The PNG image uses an unknown interlace method.";
const char* const kNoPixels = "The PNG image has no pixels.";
const char* const kIncomplete = "The image data of the PNG file is incomplete.";

const std::uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

struct TPass {
    int X0, Y0, Dx, Dy;
    std::uint32_t Columns(std::uint32_t w) const { return w > std::uint32_t(X0) ? (w - X0 + Dx - 1) / Dx : 0; }
    std::uint32_t Rows(std::uint32_t h) const { return h > std::uint32_t(Y0) ? (h - Y0 + Dy - 1) / Dy : 0; }
};
constexpr TPass kAdam7[7] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                             {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
constexpr TPass kWholeImage[1] = {{0, 0, 1, 1}};

int Channels(int colorType)
{
    switch (colorType) {
    case 2: return 3;
    case 4: return 2;
    case 6: return 4;
    default: return 1;
    }
}

bool DepthAllowed(int colorType, int depth)
{
    switch (colorType) {
    case 0: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 3: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    default: return depth == 8 || depth == 16;
    }
}

// How the samples of a row become bitmap pixels.
enum TRowKind {
    rkIndex,     // 1, 4 or 8 bits a sample into a bitmap of the same depth
    rkWiden2,    // 2 bits a sample into a 4-bit bitmap
    rkGrey16,    // the high byte into an 8-bit grey bitmap
    rkGreyAlpha, // grey over white into an 8-bit grey bitmap
    rkRgb,       // into blue, green, red
    rkRgba,      // over white into blue, green, red
};

// Colour c with opacity a over white, rounded.
inline std::uint8_t OverWhite(unsigned c, unsigned a)
{
    unsigned t = c * a + 255 * (255 - a) + 128;
    return static_cast<std::uint8_t>((t + (t >> 8)) >> 8);
}

inline unsigned SampleAt(const std::uint8_t* row, std::uint32_t i, int depth)
{
    std::uint32_t bit = i * depth;
    return (row[bit >> 3] >> (8 - depth - (bit & 7))) & ((1u << depth) - 1);
}

inline void PutIndex(std::uint8_t* row, std::uint32_t x, unsigned v, int bits)
{
    if (bits == 8) {
        row[x] = static_cast<std::uint8_t>(v);
    } else if (bits == 4) {
        std::uint8_t& b = row[x >> 1];
        b = static_cast<std::uint8_t>((x & 1) ? (b & 0xF0) | v : (b & 0x0F) | (v << 4));
    } else {
        std::uint8_t& b = row[x >> 3];
        std::uint8_t m = static_cast<std::uint8_t>(0x80 >> (x & 7));
        b = static_cast<std::uint8_t>(v ? b | m : b & ~m);
    }
}

// Undoes the filter of one row in place; prev is the row above, already unfiltered. A row holds
// whole pixels of BPP bytes (a whole number of bytes below 8 bits). Sub, Average and Paeth depend
// on the byte just decoded one pixel back: the left and upper-left pixels are carried in locals,
// which a constant BPP lets the compiler keep in registers instead of reloading what it stored.
template <std::size_t BPP>
void UnfilterRow(int type, std::uint8_t* row, const std::uint8_t* prev, std::size_t n)
{
    std::uint8_t left[BPP] = {}, upLeft[BPP] = {};
    switch (type) {
    case pngNone: break;
    case pngSub:
        for (std::size_t i = 0; i < n; i += BPP)
            for (std::size_t k = 0; k < BPP; ++k) left[k] = row[i + k] = static_cast<std::uint8_t>(row[i + k] + left[k]);
        break;
    case pngUp:
        for (std::size_t i = 0; i < n; ++i) row[i] = static_cast<std::uint8_t>(row[i] + prev[i]);
        break;
    case pngAverage:
        for (std::size_t i = 0; i < n; i += BPP)
            for (std::size_t k = 0; k < BPP; ++k)
                left[k] = row[i + k] = static_cast<std::uint8_t>(row[i + k] + ((left[k] + prev[i + k]) >> 1));
        break;
    case pngPaeth:
        for (std::size_t i = 0; i < n; i += BPP) {
            for (std::size_t k = 0; k < BPP; ++k) {
                const std::uint8_t up = prev[i + k];
                left[k] = row[i + k] = static_cast<std::uint8_t>(row[i + k] + PaethPredictor(left[k], up, upLeft[k]));
                upLeft[k] = up;
            }
        }
        break;
    default: throw EvekImageError(kUnknownFilter);
    }
}

void Unfilter(int type, std::uint8_t* row, const std::uint8_t* prev, std::size_t n, std::size_t bpp)
{
    switch (bpp) {
    case 1: UnfilterRow<1>(type, row, prev, n); break;
    case 2: UnfilterRow<2>(type, row, prev, n); break;
    case 3: UnfilterRow<3>(type, row, prev, n); break;
    case 4: UnfilterRow<4>(type, row, prev, n); break;
    case 6: UnfilterRow<6>(type, row, prev, n); break;
    default: UnfilterRow<8>(type, row, prev, n); break;
    }
}

// Whether a stream that the one-call inflate refused stops short of its end (its rows are
// incomplete) rather than being damaged. Only failed loads come here.
bool EndsEarly(const std::vector<std::uint8_t>& data)
{
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) return false;
    zs.next_in = const_cast<Bytef*>(data.data());
    zs.avail_in = static_cast<uInt>(std::min<std::size_t>(data.size(), UINT_MAX));
    std::vector<std::uint8_t> scratch(1 << 16);
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = scratch.data();
        zs.avail_out = static_cast<uInt>(scratch.size());
        rc = inflate(&zs, Z_NO_FLUSH);
    }
    inflateEnd(&zs);
    return rc == Z_BUF_ERROR && zs.avail_in == 0;
}

// The image data of the whole file, inflated in one call into exactly the size the header fixes:
// data that gives fewer rows is incomplete, and data that runs on past them or is damaged is
// corrupt.
TRawBytes InflateImageData(const std::vector<std::uint8_t>& data, std::uint64_t total)
{
    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> inflater(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    if (!inflater || total > SIZE_MAX) throw EvekImageError("Not enough memory to read the PNG image.");
    TRawBytes rows(static_cast<std::size_t>(total));
    switch (libdeflate_zlib_decompress(inflater.get(), data.data(), data.size(), rows.data(), rows.size(), nullptr)) {
    case LIBDEFLATE_SUCCESS: return rows;
    case LIBDEFLATE_SHORT_OUTPUT: throw EvekImageError(kIncomplete);
    case LIBDEFLATE_BAD_DATA:
        if (EndsEarly(data)) throw EvekImageError(kIncomplete);
        throw EvekImageError(kCorrupted);
    default: throw EvekImageError(kCorrupted);
    }
}

std::vector<TRGBQuad> GreyPalette(int levels)
{
    std::vector<TRGBQuad> pal(static_cast<std::size_t>(levels));
    for (int k = 0; k < levels; ++k) {
        auto v = static_cast<std::uint8_t>(k * 255 / (levels - 1));
        pal[k] = TRGBQuad{v, v, v, 0};
    }
    return pal;
}

// One decoded, unfiltered row of a pass into the bitmap: pixel i goes to column x0 + i * dx.
void StoreRow(TBitmap& bmp, TRowKind kind, int depth, const std::uint8_t* src, int y, std::uint32_t x0,
              std::uint32_t dx, std::uint32_t count)
{
    std::uint8_t* dst = bmp.ScanLine(y);
    const std::size_t bps = depth == 16 ? 2 : 1; // bytes a sample; the first is the high byte
    switch (kind) {
    case rkIndex:
        if (dx == 1) {
            std::size_t bytes = (std::size_t(count) * depth + 7) / 8;
            std::memcpy(dst, src, bytes);
            if ((count * depth) & 7) dst[bytes - 1] &= static_cast<std::uint8_t>(0xFF00 >> ((count * depth) & 7));
        } else {
            for (std::uint32_t i = 0; i < count; ++i) PutIndex(dst, x0 + i * dx, SampleAt(src, i, depth), depth);
        }
        break;
    case rkWiden2:
        for (std::uint32_t i = 0; i < count; ++i) PutIndex(dst, x0 + i * dx, SampleAt(src, i, 2), 4);
        break;
    case rkGrey16:
        for (std::uint32_t i = 0; i < count; ++i) dst[x0 + i * dx] = src[2 * i];
        break;
    case rkGreyAlpha:
        for (std::uint32_t i = 0; i < count; ++i, src += 2 * bps) dst[x0 + i * dx] = OverWhite(src[0], src[bps]);
        break;
    case rkRgb:
        for (std::uint8_t* d = dst + 3 * x0; count--; d += 3 * dx, src += 3 * bps) {
            d[0] = src[2 * bps];
            d[1] = src[bps];
            d[2] = src[0];
        }
        break;
    case rkRgba:
        for (std::uint8_t* d = dst + 3 * x0; count--; d += 3 * dx, src += 4 * bps) {
            unsigned a = src[3 * bps];
            d[0] = OverWhite(src[2 * bps], a);
            d[1] = OverWhite(src[bps], a);
            d[2] = OverWhite(src[0], a);
        }
        break;
    }
}

void ApplyGammaToPalette(std::vector<TRGBQuad>& pal, const std::array<std::uint8_t, 256>& g)
{
    for (auto& q : pal) q = TRGBQuad{g[q.rgbBlue], g[q.rgbGreen], g[q.rgbRed], 0};
}

// The displayed 8-bit value of a grey or colour sample as the header's depth stores it.
std::uint8_t SampleTo8(std::uint16_t v, int depth)
{
    if (depth == 16) return static_cast<std::uint8_t>(v >> 8);
    if (depth == 8) return static_cast<std::uint8_t>(v);
    unsigned top = (1u << depth) - 1;
    return static_cast<std::uint8_t>((v & top) * 255 / top);
}

} // namespace

void TChunkIHDR::ApplyToImage(TPngReadState& state) const
{
    if (state.HeaderRead) throw EvekImageError(kSecondIhdr);
    if (Data().size() != 13) throw EvekImageError(kInvalidIhdr);
    TPngHeader h = Header();
    if (h.ColorType != 0 && h.ColorType != 2 && h.ColorType != 3 && h.ColorType != 4 && h.ColorType != 6)
        throw EvekImageError(kUnknownColorType);
    if (!DepthAllowed(h.ColorType, h.BitDepth)) throw EvekImageError(kBadBitDepth);
    if (h.CompressionMethod != 0 || h.FilterMethod != 0) throw EvekImageError(kUnknownMethod);
    if (h.InterlaceMethod > 1) throw EvekImageError(kUnknownInterlace);
    if (h.Width == 0 || h.Height == 0) throw EvekImageError(kNoPixels);
    TBitmap::CheckDimensions(h.Width, h.Height);
    state.Header = h;
    state.HeaderRead = true;
}

void TChunkPLTE::ApplyToImage(TPngReadState& state) const
{
    const auto& d = Data();
    if (d.size() % 3 != 0 || d.empty() || d.size() > 3 * 256) throw EvekImageError(kInvalidPalette);
    state.Palette.clear();
    for (std::size_t i = 0; i < d.size(); i += 3) state.Palette.push_back(TRGBQuad{d[i + 2], d[i + 1], d[i], 0});
    state.PaletteRead = true;
}

void TChunkTRNS::ApplyToImage(TPngReadState& state) const
{
    // A transparency chunk that does not fit its image is ignored, as ancillary data may be.
    const auto& d = Data();
    const TByteReader in(d.data(), d.size(), "PNG", TByteOrder::BigEndian);
    switch (state.Header.ColorType) {
    case 3: state.PaletteAlpha.assign(d.begin(), d.end()); break;
    case 0:
        if (d.size() == 2) {
            const std::uint16_t v = in.U16(0);
            state.TransparentRgb = {v, v, v};
            state.HasTransparentSample = true;
        }
        break;
    case 2:
        if (d.size() == 6) {
            for (int c = 0; c < 3; ++c) state.TransparentRgb[c] = in.U16(2 * std::size_t(c));
            state.HasTransparentSample = true;
        }
        break;
    default: break;
    }
}

void TChunkIDAT::ApplyToImage(TPngReadState& state) const
{
    const TPngHeader& h = state.Header;
    if (h.ColorType == 3 && !state.PaletteRead) throw EvekImageError(kNoPalette);
    if (state.PixelsRead) return;
    const int depth = h.BitDepth;
    const int bitsPerPixel = Channels(h.ColorType) * depth;
    const std::size_t bpp = std::max(1, bitsPerPixel / 8);

    const TPass* passes = h.InterlaceMethod == 1 ? kAdam7 : kWholeImage;
    const int passCount = h.InterlaceMethod == 1 ? 7 : 1;
    std::uint64_t total = 0;
    std::size_t longestRow = 0;
    for (int p = 0; p < passCount; ++p) {
        std::uint64_t cols = passes[p].Columns(h.Width), rows = passes[p].Rows(h.Height);
        if (cols == 0 || rows == 0) continue;
        std::size_t rowBytes = static_cast<std::size_t>((cols * bitsPerPixel + 7) / 8);
        longestRow = std::max(longestRow, rowBytes);
        total += rows * (1 + rowBytes);
    }
    // Deflate cannot pack more than 1032 bytes into one, so fewer compressed bytes than that
    // cannot hold the rows: refuse before allocating a bitmap the data could never fill.
    if (total > std::uint64_t(Data().size()) * 1032 + 1024) throw EvekImageError(kIncomplete);

    TPixelFormat format = pf24bit;
    TRowKind kind = rkRgb;
    std::vector<TRGBQuad> palette;
    switch (h.ColorType) {
    case 0:
    case 3:
        kind = depth == 2 ? rkWiden2 : depth == 16 ? rkGrey16 : rkIndex;
        format = depth == 1 ? pf1bit : depth <= 4 ? pf4bit : pf8bit;
        if (h.ColorType == 0) {
            palette = GreyPalette(depth >= 8 ? 256 : 1 << depth);
        } else {
            palette = state.Palette;
            if (palette.size() > (std::size_t(1) << depth)) palette.resize(std::size_t(1) << depth);
            for (std::size_t i = 0; i < palette.size() && i < state.PaletteAlpha.size(); ++i) {
                unsigned a = state.PaletteAlpha[i];
                auto& q = palette[i];
                q = TRGBQuad{OverWhite(q.rgbBlue, a), OverWhite(q.rgbGreen, a), OverWhite(q.rgbRed, a), 0};
            }
        }
        break;
    case 4:
        kind = rkGreyAlpha;
        format = pf8bit;
        palette = GreyPalette(256);
        break;
    case 2: kind = rkRgb; break;
    case 6: kind = rkRgba; break;
    }
    if (state.GammaOn) ApplyGammaToPalette(palette, state.Gamma);

    TRawBytes rows = InflateImageData(Data(), total);
    std::uint8_t* raw = rows.data();
    TBitmap bmp(static_cast<int>(h.Width), static_cast<int>(h.Height), format);
    bmp.SetPalette(palette);
    // The rows are unfiltered where they were inflated; the first row of a pass has zeros above.
    const std::vector<std::uint8_t> zeros(longestRow, 0);
    for (int p = 0; p < passCount; ++p) {
        const TPass& pass = passes[p];
        std::uint32_t cols = pass.Columns(h.Width), passRows = pass.Rows(h.Height);
        if (cols == 0 || passRows == 0) continue;
        std::size_t rowBytes = static_cast<std::size_t>((std::uint64_t(cols) * bitsPerPixel + 7) / 8);
        const std::uint8_t* prev = zeros.data();
        for (std::uint32_t r = 0; r < passRows; ++r) {
            std::uint8_t* row = raw + 1;
            Unfilter(raw[0], row, prev, rowBytes, bpp);
            StoreRow(bmp, kind, depth, row, static_cast<int>(pass.Y0 + r * pass.Dy), pass.X0, pass.Dx, cols);
            prev = row;
            raw += rowBytes + 1;
        }
    }

    if (state.GammaOn && format == pf24bit) {
        const auto& g = state.Gamma;
        for (int y = 0; y < bmp.Height(); ++y) {
            std::uint8_t* row = bmp.ScanLine(y);
            for (int i = 0; i < 3 * bmp.Width(); ++i) row[i] = g[row[i]];
        }
    }
    // Indices beyond the palette show black rather than reaching past the colours.
    if (format != pf24bit) {
        int used = UsedPaletteCount(bmp);
        if (static_cast<int>(palette.size()) < used) {
            palette.resize(static_cast<std::size_t>(used), TRGBQuad{});
            bmp.SetPalette(palette);
        }
    }
    state.Bitmap = std::move(bmp);
    state.PixelsRead = true;
}

void TPNGImage::LoadFromMemory(const std::uint8_t* p, std::size_t n)
{
    chunks_.Clear();
    if (n < 8 || std::memcmp(p, kSignature, 8) != 0) throw EvekImageError(kInvalidHeader);
    TByteReader in(p, n, "PNG", TByteOrder::BigEndian, kTruncated);
    in.Seek(8);
    TChunk* firstData = nullptr;
    // The image data of every IDAT chunk is gathered into the first; room for all of it is taken
    // at once rather than grown chunk by chunk.
    auto reserveImageData = [&](TChunk& chunk, std::size_t from) {
        std::size_t total = 0;
        TByteReader ahead(p, n, "PNG", TByteOrder::BigEndian);
        ahead.Seek(from);
        while (ahead.Remaining() >= 12) {
            const std::uint32_t length = ahead.U32();
            const std::string_view type(reinterpret_cast<const char*>(ahead.Bytes(4)), 4);
            if (type == TChunkIEND::Name || length > ahead.Remaining() - 4) break;
            if (type == TChunkIDAT::Name) total += length;
            ahead.Skip(std::size_t(length) + 4);
        }
        ClearAndReserve(chunk.Data(), total);
    };
    while (in.Remaining() > 0) {
        const std::size_t chunkStart = in.Position();
        const std::uint32_t length = in.U32();
        const std::string_view type(reinterpret_cast<const char*>(in.Bytes(4)), 4);
        if (length > 0x7FFFFFFFu) throw EvekImageError(kChunkTooLong);
        if (!TChunkList::IsKnownType(type) && !(type[0] & 0x20)) throw EvekImageError(kUnknownCritical);
        const std::uint8_t* data = in.Bytes(length);
        if (in.U32() != ChunkCrc(type, data, length)) throw EvekImageError(kCorrupted);
        if (type == TChunkIDAT::Name && firstData) {
            firstData->Data().insert(firstData->Data().end(), data, data + length);
            continue;
        }
        TChunk& chunk = chunks_.Add(type);
        if (type == TChunkIDAT::Name) {
            firstData = &chunk;
            reserveImageData(chunk, chunkStart);
        }
        chunk.Data().assign(data, data + length);
        if (type == TChunkIEND::Name) break;
    }
    if (chunks_.Count() == 0 || chunks_.Item(0).Type() != TChunkIHDR::Name) throw EvekImageError(kNoHeaderFirst);
    if (!firstData) throw EvekImageError(kNoData);

    TPngReadState state;
    for (int i = 0; i < chunks_.Count(); ++i) chunks_.Item(i).ApplyToImage(state);

    const TPngHeader& h = state.Header;
    // A grey image's transparent sample is kept the same way as an RGB image's colour.
    if (state.HasTransparentSample && (h.ColorType == 2 || h.ColorType == 0)) {
        const auto& t = state.TransparentRgb;
        std::uint8_t r = SampleTo8(t[0], h.BitDepth), g = SampleTo8(t[1], h.BitDepth), b = SampleTo8(t[2], h.BitDepth);
        if (state.GammaOn) r = state.Gamma[r], g = state.Gamma[g], b = state.Gamma[b];
        state.Bitmap.SetTransparentColor(RGB(r, g, b));
        state.Bitmap.SetTransparent(true);
    }
    bitmap_ = std::move(state.Bitmap);
    interlaced_ = h.InterlaceMethod == 1;
}

std::string TPNGImage::ChunkText() const
{
    std::string text;
    const TChunkTEXT* plain = chunks_.FirstOfClass<TChunkTEXT>();
    if (plain) text = plain->Text();
    // The line break separates the two texts; a file with compressed text only gives that text as
    // it is, so that a text saved and loaded again comes back unchanged.
    if (const TChunkZTXT* packed = chunks_.FirstOfClass<TChunkZTXT>()) {
        if (plain) text += "\r\n";
        text += packed->Text();
    }
    return text;
}
