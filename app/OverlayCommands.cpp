#include "app/VistrelDoc.h"

#include "imaging/Codecs.h"
#include "platform/ProgramFolder.h"
#include "platform/TCanvas.h"

#include <algorithm>
#include <utility>

namespace {

// The preview pages, written as these bytes exactly, without a line end.
const char* const kTiledPage =
    "<html><head><title>test tiling</title></head><body background=\"tiled.jpg\"></body></html>";
const char* const kTransparentPage =
    "<html><head><title>test tiling</title></head><body bgcolor=\"black\"><img src=\"transparent.gif\"></body></html>";

} // namespace

bool TVistrelDoc::LoadOverlay(const std::string& fileName, TBitmap& overlay)
{
    RequireLoadableImageFile(fileName);
    TBitmap loaded;
    if (!LoadInto(fileName, loaded)) return false;
    loaded.SetTransparent(true);
    // GIF and PNG loads carry the colour the file marked; the overlay always leaves out its corner's.
    loaded.ClearTransparentColor();
    overlay = std::move(loaded);
    return true;
}

void TVistrelDoc::PaintOverlay(const TBitmap& overlay, int left, int top)
{
    Picture.Canvas().Draw(left, top, overlay);
    view_.PictureChanged();
}

void TVistrelDoc::GlueOverlay(const TBitmap& overlay, int left, int top)
{
    PrepareEffect();
    // The right and bottom edges grow to take the overlay; one hanging over the left or top edge is
    // cut there, as the image cannot grow that way without moving.
    const std::int64_t right = std::int64_t(left) + overlay.Width();
    const std::int64_t bottom = std::int64_t(top) + overlay.Height();
    const std::int64_t width = std::max<std::int64_t>(WorkBitmap.Width(), right);
    const std::int64_t height = std::max<std::int64_t>(WorkBitmap.Height(), bottom);
    TBitmap::CheckDimensions(width, height);
    if (width != WorkBitmap.Width() || height != WorkBitmap.Height())
        WorkBitmap.SetSize(static_cast<int>(width), static_cast<int>(height));
    Picture.Assign(WorkBitmap);
    PaintOverlay(overlay, left, top);
}

void TVistrelDoc::PreviewTiled()
{
    SaveImageFile(ProgramFolder() + "tiled.jpg", Picture, FileSettings);
    WriteImageFileBytes(ProgramFolder() + "tiled.html", std::string(kTiledPage));
    view_.ShellOpen(ProgramFolder() + "tiled.html");
}

void TVistrelDoc::PreviewTransparent()
{
    // Always transparent, whatever Options, "Transparent GIF" says: the page shows it on black.
    WriteImageFileBytes(ProgramFolder() + "transparent.gif", EncodeGif(Picture, true));
    WriteImageFileBytes(ProgramFolder() + "tiled.html", std::string(kTransparentPage));
    view_.ShellOpen(ProgramFolder() + "tiled.html");
}
