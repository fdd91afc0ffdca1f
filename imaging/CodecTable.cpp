#include "imaging/Codecs.h"

namespace {

using TEncoded = std::optional<TImageBytes>;

// The encrypted rows differ only in the format inside.
template <const char* Inner>
TLoadResult DecodeEncrypted(const TImageBytes& bytes, TBitmap& image, TImageFileSettings& settings, const std::string&)
{
    return DecodeEncryptedImage(bytes.data(), bytes.size(), image, Inner, settings);
}
template <const char* Inner>
TEncoded EncodeEncrypted(TBitmap& source, const TImageFileSettings& settings)
{
    return EncodeEncryptedImage(source, Inner, settings);
}
constexpr char kInnerGif[] = ".GIF";
constexpr char kInnerPng[] = ".PNG";
constexpr char kInnerJpeg[] = ".JPG";

// In the order the extensions are tried. Every extension has one row, so loading and saving find
// the same row whatever order they try them in.
const TImageCodec kImageCodecs[] = {
    {{".TIF", nullptr}, false,
     [](const TImageBytes& b, TBitmap& image, TImageFileSettings&, const std::string& fileName) {
         DecodeTiff(b.data(), b.size(), image, fileName);
         return TLoadResult::lrLoaded;
     },
     [](TBitmap& source, const TImageFileSettings&) -> TEncoded { return EncodeTiff(source); }},
    {{".PNG", nullptr}, false,
     [](const TImageBytes& b, TBitmap& image, TImageFileSettings& settings, const std::string&) {
         std::string text;
         DecodePng(b.data(), b.size(), image, &text);
         settings.PngText = std::move(text);
         return TLoadResult::lrLoaded;
     },
     [](TBitmap& source, const TImageFileSettings& s) -> TEncoded {
         return EncodePng(source, s.PngTextOn ? s.PngText : std::string());
     }},
    {{".GIF", nullptr}, false,
     [](const TImageBytes& b, TBitmap& image, TImageFileSettings&, const std::string&) {
         DecodeGif(b.data(), b.size(), image);
         return TLoadResult::lrLoaded;
     },
     [](TBitmap& source, const TImageFileSettings& s) -> TEncoded { return EncodeGif(source, s.TransparentGif); }},
    {{".XGIF", nullptr}, false, DecodeEncrypted<kInnerGif>, EncodeEncrypted<kInnerGif>},
    {{".XPNG", nullptr}, false, DecodeEncrypted<kInnerPng>, EncodeEncrypted<kInnerPng>},
    {{".XJPG", nullptr}, false, DecodeEncrypted<kInnerJpeg>, EncodeEncrypted<kInnerJpeg>},
    {{".TGA", nullptr}, false,
     [](const TImageBytes& b, TBitmap& image, TImageFileSettings&, const std::string&) {
         DecodeTarga(b.data(), b.size(), image);
         return TLoadResult::lrLoaded;
     },
     nullptr},
    {{".JPG", ".JPEG"}, false,
     [](const TImageBytes& b, TBitmap& image, TImageFileSettings&, const std::string&) {
         DecodeJpeg(b.data(), b.size(), image);
         return TLoadResult::lrLoaded;
     },
     [](TBitmap& source, const TImageFileSettings& s) -> TEncoded { return EncodeJpeg(source, s.JpegQuality); }},
    {{".WMF", ".EMF"}, true,
     [](const TImageBytes& b, TBitmap& image, TImageFileSettings&, const std::string&) {
         DecodeMetafile(b.data(), b.size(), image);
         return TLoadResult::lrLoaded;
     },
     nullptr},
    {{".BMP", nullptr}, false,
     [](const TImageBytes& b, TBitmap& image, TImageFileSettings&, const std::string&) {
         DecodeBmp(b.data(), b.size(), image);
         return TLoadResult::lrLoaded;
     },
     [](TBitmap& source, const TImageFileSettings&) -> TEncoded { return EncodeBmp(source); }},
    {{".ICO", nullptr}, true,
     [](const TImageBytes& b, TBitmap& image, TImageFileSettings&, const std::string&) {
         DrawIcon(DecodeIcon(b.data(), b.size()), image);
         return TLoadResult::lrLoaded;
     },
     [](TBitmap& source, const TImageFileSettings&) -> TEncoded {
         if (!PrepareIconSource(source)) return std::nullopt;
         return EncodeIcon(source);
     }},
};

} // namespace

const TImageCodec* FindImageCodec(const std::string& extension)
{
    for (const TImageCodec& codec : kImageCodecs)
        for (const char* e : codec.Extensions)
            if (e && extension == e) return &codec;
    return nullptr;
}
