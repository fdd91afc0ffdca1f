#include "imaging/ImageIO.h"

#include "imaging/BmpFormat.h"
#include "imaging/Codecs.h"
#include "imaging/GifFile.h"
#include "imaging/IcoReader.h"
#include "imaging/JpegFile.h"
#include "platform/Errors.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

enum class TFileKind { Tiff, Png, Gif, Encrypted, Targa, Jpeg, Metafile, Bmp, Icon };

struct TExtensionRule {
    const char* extension;
    TFileKind kind;
};

// The branches in the order they are tried; the first extension that matches decides.
constexpr TExtensionRule kLoadRules[] = {
    {".TIF", TFileKind::Tiff},     {".PNG", TFileKind::Png},       {".GIF", TFileKind::Gif},
    {".XGIF", TFileKind::Encrypted}, {".XPNG", TFileKind::Encrypted}, {".XJPG", TFileKind::Encrypted},
    {".TGA", TFileKind::Targa},    {".JPG", TFileKind::Jpeg},      {".JPEG", TFileKind::Jpeg},
    {".WMF", TFileKind::Metafile}, {".EMF", TFileKind::Metafile},  {".BMP", TFileKind::Bmp},
    {".ICO", TFileKind::Icon},
};

constexpr TExtensionRule kSaveRules[] = {
    {".JPG", TFileKind::Jpeg},       {".JPEG", TFileKind::Jpeg},      {".TIF", TFileKind::Tiff},
    {".PNG", TFileKind::Png},        {".GIF", TFileKind::Gif},        {".XGIF", TFileKind::Encrypted},
    {".XPNG", TFileKind::Encrypted}, {".XJPG", TFileKind::Encrypted}, {".BMP", TFileKind::Bmp},
    {".ICO", TFileKind::Icon},
};

template <std::size_t N>
const TExtensionRule* FindRule(const TExtensionRule (&rules)[N], const std::string& extension)
{
    for (const auto& rule : rules)
        if (extension == rule.extension) return &rule;
    return nullptr;
}

// ".XJPG" holds a ".JPG" file, and so on.
std::string InnerExtension(const std::string& extension) { return "." + extension.substr(2); }

[[noreturn]] void RaiseFileError(const char* what, const std::string& fileName, int error)
{
    throw EvekFileError(std::string(what) + " \"" + fileName + "\": " + std::strerror(error) + ".");
}

} // namespace

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

bool CanLoadImageFile(const std::string& fileName) { return FindRule(kLoadRules, FileExtension(fileName)); }
bool CanSaveImageFile(const std::string& fileName) { return FindRule(kSaveRules, FileExtension(fileName)); }

void LoadImageFile(const std::string& fileName, TBitmap& target, TImageFileSettings& settings)
{
    const std::string extension = FileExtension(fileName);
    const TExtensionRule* rule = FindRule(kLoadRules, extension);
    if (!rule) return;

    // Every reader works on its own bitmap; target changes only once the whole file has decoded.
    TBitmap image;
    switch (rule->kind) {
    case TFileKind::Tiff: LoadTiffFile(fileName, image); break;
    case TFileKind::Png: {
        std::string text;
        LoadPngFile(fileName, image, text);
        settings.PngText = text;
        break;
    }
    case TFileKind::Gif: LoadGifFile(fileName, image); break;
    case TFileKind::Encrypted:
        if (!LoadEncryptedImageFile(fileName, image, InnerExtension(extension))) return;
        break;
    case TFileKind::Targa: LoadTargaFile(fileName, image); break;
    case TFileKind::Jpeg: LoadJpegFile(fileName, image); break;
    // Pictures drawn over the target keep its pixel format and its pixels where they are clear.
    case TFileKind::Metafile:
        image = target;
        DrawMetafile(fileName, image);
        break;
    case TFileKind::Bmp: LoadBmpFile(fileName, image); break;
    case TFileKind::Icon:
        image = target;
        DrawIconFile(fileName, image);
        break;
    }
    // Taking the image is a full assignment; moving spares a copy of the decoded pixels.
    target = std::move(image);
}

bool SaveImageFile(const std::string& fileName, TBitmap& source, const TImageFileSettings& settings)
{
    const std::string extension = FileExtension(fileName);
    const TExtensionRule* rule = FindRule(kSaveRules, extension);
    if (!rule) return true;

    switch (rule->kind) {
    case TFileKind::Jpeg: SaveJpegFile(fileName, source, settings.JpegQuality); break;
    case TFileKind::Tiff: SaveTiffFile(fileName, source); break;
    case TFileKind::Png: SavePngFile(fileName, source, settings.PngTextOn, settings.PngText); break;
    case TFileKind::Gif: SaveGifFile(fileName, source, settings.TransparentGif); break;
    case TFileKind::Encrypted: return SaveEncryptedImageFile(fileName, source, InnerExtension(extension));
    case TFileKind::Bmp: SaveBmpFile(fileName, source); break;
    case TFileKind::Icon: return SaveIconFile(fileName, source);
    default: break;
    }
    return true;
}

std::vector<std::uint8_t> ReadImageFileBytes(const std::string& fileName)
{
    const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) RaiseFileError("Cannot open file", fileName, errno);
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        close(fd);
        RaiseFileError("Cannot read file", fileName, error);
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            close(fd);
            RaiseFileError("Cannot read file", fileName, error);
        }
        if (n == 0) break; // shrank while we read: keep what is there
        done += static_cast<std::size_t>(n);
    }
    close(fd);
    bytes.resize(done);
    return bytes;
}

void WriteImageFileBytes(const std::string& fileName, const void* bytes, std::size_t size)
{
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file) RaiseFileError("Cannot create file", fileName, errno);
    const bool written = size == 0 || std::fwrite(bytes, 1, size, file) == size;
    const int error = errno;
    if (std::fclose(file) != 0 || !written) RaiseFileError("Cannot write file", fileName, written ? errno : error);
}

const TBitmap& AsTrueColor(const TBitmap& source, TBitmap& copy)
{
    if (source.PixelFormat() == pf24bit || source.PixelFormat() == pf32bit) return source;
    copy = source;
    copy.SetPixelFormat(pf24bit);
    return copy;
}
