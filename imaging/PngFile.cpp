#include "imaging/Codecs.h"
#include "imaging/PngImage.h"

#include <utility>

namespace {

// The keyword of the text chunk a save adds: the PNG format's keyword for a free comment.
const char* const kTextKeyword = "Comment";

} // namespace

void LoadPngFile(const std::string& fileName, TBitmap& target, std::string& pngText)
{
    TPNGImage png;
    png.LoadFromFile(fileName);
    std::string text = png.ChunkText();
    // The decoded image is handed over whole; the PNG object is discarded.
    target = std::move(png.Bitmap());
    pngText = std::move(text);
}

void SavePngFile(const std::string& fileName, const TBitmap& source, bool textOn, const std::string& pngText)
{
    TPNGImage png;
    png.Assign(source);
    if (textOn && !pngText.empty()) {
        auto& text = png.Chunks().Add<TChunkZTXT>();
        text.SetKeyword(kTextKeyword);
        text.SetText(pngText);
        png.Chunks().Move(text, png.Chunks().IndexOfClass<TChunkIEND>());
    }
    png.SaveToFile(fileName);
}

void LoadPngFromMemory(const std::string& bytes, TBitmap& target)
{
    TPNGImage png;
    png.LoadFromMemory(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    target = std::move(png.Bitmap());
}

std::string SavePngToMemory(const TBitmap& source)
{
    TPNGImage png;
    png.Assign(source);
    return png.SaveToMemory();
}
