#pragma once
#include "imaging/ColorReduction.h"
#include "platform/TBitmap.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Every image format as one decoder from a file's bytes and one encoder to them, and the table that
// chooses them by extension. Decoders fill target only when the whole file decoded; a failure
// raises EvekImageError and leaves target as it was. Files are read and written by the dispatch
// (imaging/ImageIO.h) alone.

// The bytes of a whole image file.
using TImageBytes = std::vector<std::uint8_t>;

class TCipherManager;

// The save settings that live elsewhere in the window (JPEG optimizer slider, Options and Png menus)
// and that a load may change (a PNG's text replaces PngText).
struct TImageFileSettings {
    int JpegQuality = 50;       // 1..100
    bool TransparentGif = true; // Options, "Transparent GIF"
    bool PngTextOn = false;     // the text-chunk switch of the Png menu
    std::string PngText;
    // The window's cipher manager, keyed anew for each encrypted file; without one each file keys a
    // manager of its own. A manager serves one thread at a time.
    TCipherManager* Cipher = nullptr;
};

// What a load came to. Only lrLoaded changes the target. A cancelled (or empty) password ends the
// load without a word; a wrong one is left to the caller to tell as "invalid password".
enum class TLoadResult {
    lrLoaded,
    lrNoReader, // an extension without a reader: nothing happens
    lrCancelled,
    lrInvalidPassword,
};

// BMP: reading takes every header version and compression; writing keeps the bitmap's own format
// (BITMAPINFOHEADER, palette up to 8 bits, bit fields for 5-6-5).
void DecodeBmp(const std::uint8_t* data, std::size_t size, TBitmap& target);
TImageBytes EncodeBmp(const TBitmap& source);

// JPEG through libjpeg. Colour, CMYK and YCCK files decode to 24 bits a pixel; greyscale files to
// 8 bits with the grey palette, so that they stay grey when saved again. quality 1..100 (clamped);
// an 8-bit bitmap whose palette is all greys is written as a greyscale JPEG, everything else in
// colour.
void DecodeJpeg(const std::uint8_t* data, std::size_t size, TBitmap& target);
// grayscale asks for a greyscale JPEG of any image; an all-grey 8-bit palette gives one anyway.
TImageBytes EncodeJpeg(const TBitmap& source, int quality, bool grayscale = false);

// GIF through giflib. Reading gives the first frame on its logical screen as an 8-bit bitmap with
// the frame's colour map; outside the frame the screen shows the transparent index when the frame
// has one, else the background index. A transparent frame makes the bitmap Transparent with the
// transparent entry's colour.
void DecodeGif(const std::uint8_t* data, std::size_t size, TBitmap& target);
// Writing: a bitmap above 8 bits is reduced with reduction; 1- to 8-bit bitmaps keep their
// indices. The colour map is then optimized (unused entries dropped, indices renumbered). With
// transparent, a graphic control extension makes the bottom-left pixel's index transparent.
TImageBytes EncodeGif(const TBitmap& source, bool transparent,
                      const TReductionSettings& reduction = ReductionSettings());
// The colour-map optimization: keeps the palette entries that pixels use, in their order, and
// renumbers the pixels of the 8-bit image to match.
void OptimizeColorMap(TBitmap& image);

// PNG (the chunk-level object is TPNGImage, imaging/PngImage.h). text, when given, receives the
// text a load gives the Png menu. A non-empty text is written as one compressed text chunk.
void DecodePng(const std::uint8_t* data, std::size_t size, TBitmap& target, std::string* text = nullptr);
TImageBytes EncodePng(const TBitmap& source, const std::string& text = {});

// TIFF: the last readable page wins. The reader shows its problems in message boxes naming the
// file, and raises when no page could be read.
void DecodeTiff(const std::uint8_t* data, std::size_t size, TBitmap& target, const std::string& fileName);
TImageBytes EncodeTiff(const TBitmap& source);

// Targa (read only): target takes the colour bitmap.
void DecodeTarga(const std::uint8_t* data, std::size_t size, TBitmap& target);

// Icons. The system's icon size: icons are always 32 x 32.
constexpr int IconSize = 32;
// The image of an icon file that shows best: the largest, then the deepest. The result has 32 bits
// a pixel, blue, green, red and opacity: the image's own alpha for 32-bit images that carry one,
// else 0 where the AND mask is set and 255 elsewhere.
TBitmap DecodeIcon(const std::uint8_t* data, std::size_t size);
// Sizes target to the icon and draws it at 0, 0 over target's current pixels, which show through
// the transparent parts; target keeps its pixel format.
void DrawIcon(const TBitmap& icon, TBitmap& target);
// The icon rule before a save: a source that is not 32 x 32 is resized when the user agrees (false
// when not), then reduced to 8 bits a pixel.
bool PrepareIconSource(TBitmap& source);
// A one-image icon file made from the picture: 8 bits a pixel with the source's palette and a 1-bit
// mask that makes every pixel of the bottom-left pixel's colour transparent. A source that is not
// 8 bits a pixel is reduced first; one of another size is cut off or padded with black.
TImageBytes EncodeIcon(const TBitmap& source);

// WMF and EMF (read only): target is sized to the picture at 96 dpi and the picture drawn over it at
// 0, 0, keeping target's pixel format.
void DecodeMetafile(const std::uint8_t* data, std::size_t size, TBitmap& target);

// Password-protected ".xjpg", ".xgif", ".xpng": the whole file of the inner extension (".JPG",
// ".GIF", ".PNG") as its plain save builds it, without a PNG text chunk, enciphered with a key made
// from a password asked for each file. Both give up, changing nothing, when the password is
// cancelled or empty. Any error while reading the deciphered file counts as a wrong password; the
// PNG text of an encrypted file is not read.
TLoadResult DecodeEncryptedImage(const std::uint8_t* data, std::size_t size, TBitmap& target,
                                 const std::string& innerExtension, const TImageFileSettings& settings);
std::optional<TImageBytes> EncodeEncryptedImage(TBitmap& source, const std::string& innerExtension,
                                                const TImageFileSettings& settings);

// One row of the codec table.
struct TImageCodec {
    std::array<const char*, 2> Extensions; // upper case with the dot; the second may be null
    // Pictures drawn over the target (icons, metafiles) decode onto a copy of it.
    bool DrawsOverTarget;
    // Decodes bytes into image; lrLoaded unless a password was cancelled or wrong. Null: no reader.
    TLoadResult (*Decode)(const TImageBytes& bytes, TBitmap& image, TImageFileSettings& settings,
                   const std::string& fileName);
    // The file's bytes; nothing when the user abandoned the save. May change source (the icon
    // rule). Null: no writer.
    std::optional<TImageBytes> (*Encode)(TBitmap& source, const TImageFileSettings& settings);
};

// The row for an upper-cased extension, or null.
const TImageCodec* FindImageCodec(const std::string& extension);
