#include "imaging/ImageIO.h"

#include "platform/Errors.h"

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

void LoadImageFile(const std::string&, TBitmap&, TImageFileSettings&) { throw EvekImageError("not supported yet"); }
bool SaveImageFile(const std::string&, TBitmap&, const TImageFileSettings&) { throw EvekImageError("not supported yet"); }
