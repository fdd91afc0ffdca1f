#include "imaging/Codecs.h"
#include "imaging/PngImage.h"

#include <utility>

namespace {

// The keyword of the text chunk a save adds: the PNG format's keyword for a free comment.
const char* const kTextKeyword = "Comment";

} // namespace

void DecodePng(const std::uint8_t* data, std::size_t size, TBitmap& target, std::string* text)
{
    TPNGImage png;
    png.LoadFromMemory(data, size);
    if (text) *text = png.ChunkText();
    // The decoded image is handed over whole; the PNG object is discarded.
    target = std::move(png.Bitmap());
}

TImageBytes EncodePng(const TBitmap& source, const std::string& text)
{
    TPNGImage png;
    if (!text.empty()) {
        auto& chunk = png.Chunks().Add<TChunkZTXT>();
        chunk.SetKeyword(kTextKeyword);
        chunk.SetText(text);
        png.Chunks().Move(chunk, png.Chunks().IndexOfClass<TChunkIEND>());
    }
    return png.SaveToMemory(source);
}
