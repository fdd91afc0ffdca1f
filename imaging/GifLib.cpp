#include "imaging/GifLib.h"

#include "platform/Errors.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

[[noreturn]] void Raise(int code)
{
    const char* text = GifErrorString(code);
    if (code == D_GIF_ERR_READ_FAILED || code == D_GIF_ERR_EOF_TOO_SOON) throw EvekImageError("GIF file is truncated.");
    throw EvekImageError(std::string("GIF file is corrupt: ") + (text ? text : "unknown error") + ".");
}

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int length)
{
    auto* decoder = static_cast<TGifDecoder*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)),
                                                decoder->size - decoder->pos);
    if (n) std::memcpy(buffer, decoder->data + decoder->pos, n);
    decoder->pos += n;
    return static_cast<int>(n);
}

int WriteToMemory(GifFileType* gif, const GifByteType* buffer, int length)
{
    auto* encoder = static_cast<TGifEncoder*>(gif->UserData);
    encoder->bytes.insert(encoder->bytes.end(), buffer, buffer + length);
    return length;
}

} // namespace

TGifDecoder::TGifDecoder(const std::uint8_t* d, std::size_t s) : data(d), size(s)
{
    int error = 0;
    gif_ = DGifOpen(this, ReadFromMemory, &error);
    if (!gif_) Raise(error);
}

TGifDecoder::~TGifDecoder()
{
    int error = 0;
    DGifCloseFile(gif_, &error);
}

void TGifDecoder::Check(int result) const
{
    if (result == GIF_ERROR) Raise(gif_->Error);
}

GifRecordType TGifDecoder::RecordType()
{
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    Check(DGifGetRecordType(gif_, &type));
    return type;
}

void TGifDecoder::ImageDesc() { Check(DGifGetImageDesc(gif_)); }

void TGifDecoder::Line(GifPixelType* line, int length) { Check(DGifGetLine(gif_, line, length)); }

GifByteType* TGifDecoder::Extension(int& code)
{
    GifByteType* block = nullptr;
    Check(DGifGetExtension(gif_, &code, &block));
    return block;
}

GifByteType* TGifDecoder::ExtensionNext()
{
    GifByteType* block = nullptr;
    Check(DGifGetExtensionNext(gif_, &block));
    return block;
}

TGifEncoder::TGifEncoder()
{
    int error = 0;
    gif_ = EGifOpen(this, WriteToMemory, &error);
    if (!gif_) Raise(error);
    EGifSetGifVersion(gif_, true);
}

TGifEncoder::~TGifEncoder()
{
    int error = 0;
    if (gif_) EGifCloseFile(gif_, &error);
}

void TGifEncoder::Check(int result) const
{
    if (result == GIF_ERROR) Raise(gif_->Error);
}

void TGifEncoder::ScreenDesc(int width, int height, const ColorMapObject* colorMap)
{
    Check(EGifPutScreenDesc(gif_, width, height, colorMap->BitsPerPixel, 0, colorMap));
}

void TGifEncoder::Extension(int code, const std::vector<GifByteType>& block)
{
    Check(EGifPutExtension(gif_, code, static_cast<int>(block.size()), block.data()));
}

void TGifEncoder::ImageDesc(int width, int height) { Check(EGifPutImageDesc(gif_, 0, 0, width, height, false, nullptr)); }

void TGifEncoder::Line(GifPixelType* line, int length) { Check(EGifPutLine(gif_, line, length)); }

std::vector<std::uint8_t> TGifEncoder::Close()
{
    int error = 0;
    GifFileType* gif = gif_;
    gif_ = nullptr;
    if (EGifCloseFile(gif, &error) == GIF_ERROR) Raise(error);
    return std::move(bytes);
}

TGifColorMap MakeGifColorMap(const GifColorType* colors, int count)
{
    int size = 2;
    while (size < count) size *= 2;
    std::vector<GifColorType> padded(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
    std::copy(colors, colors + count, padded.begin());
    TGifColorMap map(GifMakeMapObject(size, padded.data()));
    if (!map) throw EvekImageError("GIF colour map could not be allocated.");
    return map;
}
