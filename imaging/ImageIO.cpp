#include "imaging/ImageIO.h"

#include "imaging/ImageFiles.h"

#include <utility>

std::string FileExtension(const std::string& fileName)
{
    auto dot = fileName.find_last_of('.');
    if (dot == std::string::npos) return {};
    if (fileName.find_first_of("/\\:", dot) != std::string::npos) return {};
    std::string ext = fileName.substr(dot);
    for (char& c : ext)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return ext;
}

bool CanLoadImageFile(const std::string& fileName)
{
    const TImageCodec* codec = FindImageCodec(FileExtension(fileName));
    return codec && codec->Decode;
}

bool CanSaveImageFile(const std::string& fileName)
{
    const TImageCodec* codec = FindImageCodec(FileExtension(fileName));
    return codec && codec->Encode;
}

TLoadResult LoadImageFile(const std::string& fileName, TBitmap& target, TImageFileSettings& settings)
{
    const TImageCodec* codec = FindImageCodec(FileExtension(fileName));
    if (!codec || !codec->Decode) return TLoadResult::lrNoReader;

    const TImageBytes bytes = ReadImageFileBytes(fileName);
    // Every reader works on its own bitmap; target changes only once the whole file has decoded.
    // Pictures drawn over the target keep its pixel format and its pixels where they are clear.
    TBitmap image;
    if (codec->DrawsOverTarget) image = target;
    if (const TLoadResult result = codec->Decode(bytes, image, settings, fileName); result != TLoadResult::lrLoaded)
        return result;
    // Taking the image is a full assignment; moving spares a copy of the decoded pixels.
    target = std::move(image);
    return TLoadResult::lrLoaded;
}

bool SaveImageFile(const std::string& fileName, TBitmap& source, const TImageFileSettings& settings)
{
    const TImageCodec* codec = FindImageCodec(FileExtension(fileName));
    if (!codec || !codec->Encode) return true;
    const std::optional<TImageBytes> bytes = codec->Encode(source, settings);
    if (!bytes) return false;
    WriteImageFileBytes(fileName, *bytes);
    return true;
}
