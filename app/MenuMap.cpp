#include "app/MenuMap.h"

#include "app/VistrelF.h"

#include <string_view>

namespace {

using F = TVistrelF;

// Entries whose command belongs to a later piece of work carry nullptr and show disabled. Effects
// entries name their effect and values (see TVistrelDoc::RunEffect), Effect Settings entries their
// setting.
const TMenuEntry kMainMenu[] = {
    {0, "File1", "&File", "", nullptr, 0, 0},
    {1, "New1", "&New...", "", &F::New1Click, 0, 0},
    {1, "RunScript1", "&Run Script....", "F9", &F::RunScript1Click, 0, 0},
    {1, "Capture1", "&Capture...", "", &F::Capture1Click, 0, 0},
    {1, "Open1", "&Open...", "Ctrl+O", &F::Open1Click, 0, 0},
    {1, "Overlay1", "O&verlay...", "", &F::Overlay1Click, 0, 0},
    {1, "SaveAs1", "Save &As...", "", &F::SaveAs1Click, 0, 0},
    {1, "TwainScan1", "&Twain Scan...", "", &F::TwainScan1Click, 0, 0},
    {1, "N2", "-", "", nullptr, 0, 0},
    {1, "Quit1", "&Quit", "Ctrl+Q", &F::Quit1Click, 0, 0},

    {0, "Edit1", "&Edit", "", nullptr, 0, 0},
    {1, "Undolast1", "&Undo last", "Ctrl+Z", &F::Undolast1Click, mfStartsDisabled, 0},
    {1, "ResizeImage1", "Resize &Image...", "", &F::ResizeImage1Click, 0, 0},
    {1, "ResizeWidth1", "Resize &Width...", "", &F::ResizeWidth1Click, 0, 0},
    {1, "ResizeHeight1", "Resize &Height...", "", &F::ResizeHeight1Click, 0, 0},
    {1, "CroptoSelection1", "&Crop to Selection", "", &F::CroptoSelection1Click, 0, 0},
    {1, "PaintShape1", "Paint Shape", "F9", nullptr, 0, 0},
    {1, "PaintOverlay1", "Paint &Overlay", "Shift+F9", &F::PaintOverlay1Click, 0, 0},
    {1, "Turn1", "&Turn", "Ctrl+T", &F::Turn1Click, 0, 0},

    {0, "Options1", "&Options", "", nullptr, 0, 0},
    {1, "TransparentGIF1", "Transparent GIF", "", &F::TransparentGIF1Click, mfCheckable | mfChecked, 0},
    {1, "ShowImageInfo1", "Show Image Info", "Ctrl+I", &F::ShowImageInfo1Click, 0, 0},
    {1, "ColorDepth1", "&Color Depth", "", nullptr, 0, 0},
    {2, "N4bitspixel1", "&4 bits/pixel", "", &F::N4bitspixel1Click, 0, 0},
    {2, "N8bitspixel1", "&8 bits/pixel", "", &F::N8bitspixel1Click, 0, 0},
    {2, "N16bitspixel1", "&16 bits/pixel", "", &F::N16bitspixel1Click, 0, 0},
    {2, "N24bitspixel1", "&24 bits/pixel", "", &F::N24bitspixel1Click, 0, 0},
    {1, "ViewShape1", "&View Shape", "F3", nullptr, mfCheckable, 0},
    {1, "ViewOverlay1", "View &Overlay", "F4", &F::ViewOverlay1Click, mfCheckable, 0},

    {0, "Png1", "&Png", "", nullptr, 0, 0},
    {1, "TextChunk1", "Text Chunk", "", &F::TextChunk1Click, mfCheckable, 0},
    {1, "PNGText1", "PNG Text...", "", &F::PNGText1Click, 0, 0},

    {0, "Effects1", "&Effects", "", nullptr, 0, 0},
    {1, "Lighter1", "Lighter", "F5", nullptr, 0, 0, "Lighter 25"},
    {1, "Darker1", "Darker", "F6", nullptr, 0, 0, "Darker 25"},
    {1, "Contrast1", "Contrast", "F7", nullptr, 0, 0, "Contrast 25"},
    {1, "Saturation1", "Saturation", "F8", nullptr, 0, 0, "Saturation 225"},
    {1, "Colorize1", "&Colorize", "", nullptr, 0, 0},
    {2, "Posterize1", "&Posterize", "", nullptr, 0, 0, "Posterize PosterizeDepth"},
    {2, "Solarize1", "&Solarize", "", nullptr, 0, 0, "Solarize SolarizeDepth"},
    {2, "Invert1", "&Invert", "", nullptr, 0, 0, "Invert"},
    {2, "Grayscale1", "&Grayscale", "", nullptr, 0, 0, "GrayScale"},
    {1, "Focus1", "&Focus", "", nullptr, 0, 0},
    {2, "AntiAlias1", "&Anti Alias", "", nullptr, 0, 0, "AntiAlias"},
    {2, "Blur1", "&Blur", "", nullptr, 0, 0, "Soften"},
    {2, "GaussianBlur1", "&Gaussian Blur", "", nullptr, 0, 0, "GaussianBlur GaussianDepth"},
    {2, "Sharpen1", "S&harpen", "", nullptr, 0, 0, "Soften"},
    {2, "Soften1", "&Soften", "", nullptr, 0, 0, "Soften"},
    {2, "SoftenLess1", "Soften &Less", "", nullptr, 0, 0, "SoftenLess"},
    {1, "Shadow1", "Shadow", "", nullptr, 0, 0},
    {2, "ShadowUpRight1", "Up right", "", nullptr, 0, 0, "ShadowUpRight"},
    {2, "ShadowUpLeft1", "Up left", "", nullptr, 0, 0, "ShadowUpLeft"},
    {2, "ShadowDownLeft1", "Down left", "", nullptr, 0, 0, "ShadowDownLeft"},
    {2, "ShadowDownRight1", "Down right", "", nullptr, 0, 0, "ShadowDownRight"},
    {1, "Flip1", "F&lip", "", nullptr, 0, 0},
    {2, "FlipDown1", "&Down", "", nullptr, 0, 0, "FlipDown"},
    {2, "FlipRight1", "&Right", "", nullptr, 0, 0, "FlipRight"},
    {1, "Mirror1", "Mirror", "", nullptr, 0, 0},
    {2, "MirrorRight1", "&Right", "", nullptr, 0, 0, "MirrorRight"},
    {2, "MirrorDown1", "&Down", "", nullptr, 0, 0, "MirrorDown"},
    {1, "Distortions1", "Distortions", "", nullptr, 0, 0},
    {2, "Fisheye1", "&Fisheye", "", nullptr, 0, 0, "FishEye FisheyeDepth/255"},
    {2, "Mosaic1", "Mosaic", "", nullptr, 0, 0, "Mosaic MosaicSize"},
    {2, "Twist1", "&Twist", "", nullptr, 0, 0, "Twist TwistDepth"},
    {2, "Whipe1", "&Whipe", "", nullptr, 0, 0, "Whipe 50"},
    {1, "Edge1", "Edge", "", nullptr, 0, 0},
    {2, "ColorEmboss1", "&Color Emboss", "", nullptr, 0, 0, "ColorEmboss"},
    {2, "EdgeEnhance1", "&Edge Enhance", "", nullptr, 0, 0, "EdgeEnhance"},
    {2, "Emboss1", "Emboss", "", nullptr, 0, 0, "Emboss"},
    {2, "FindEdges1", "&Find Edges", "", nullptr, 0, 0, "FindEdges"},
    {2, "Highpass1", "&Highpass", "", nullptr, 0, 0, "HighPass"},
    {2, "Laplace1", "&Laplace", "", nullptr, 0, 0, "Laplace"},
    {2, "Trace1", "&Trace", "", nullptr, 0, 0, "Trace 1"},
    {1, "N1", "-", "", nullptr, 0, 0},
    {1, "Buttonize1", "Buttonize", "", nullptr, 0, 0},
    {2, "ButtonizeRectangle1", "Rectangle", "", nullptr, 0, 0, "Buttonize ButtonizeDepth ButtonizeWeight"},
    {2, "ButtonizeOval1", "Oval", "", nullptr, 0, 0, "ButtonizeOval ButtonizeDepth round ButtonizeWeight"},
    {2, "OvalMasked1", "Oval Masked", "", nullptr, 0, 0, "ButtonizeOval ButtonizeDepth round ButtonizeWeight; MaskOval $FFFFFF"},
    {2, "OvalRimmed1", "Oval Rimmed", "", nullptr, 0, 0, "ButtonizeOval ButtonizeDepth rimmed ButtonizeWeight"},
    {2, "OvalRimmedmasked1", "Oval Rimmed masked", "", nullptr, 0, 0, "ButtonizeOval ButtonizeDepth rimmed ButtonizeWeight; MaskOval $FFFFFF"},
    {2, "OvalFrame1", "Oval Frame", "", nullptr, 0, 0, "ButtonizeOval ButtonizeDepth doubleround ButtonizeWeight; MaskOval $FFFFFF"},
    {1, "MaskOval1", "Mask Oval", "", nullptr, 0, 0, "MaskOval $FFFFFF"},
    {1, "MaskOvalcolor1", "Mask Oval color...", "", nullptr, 0, 0, "MaskOval ?"},
    {1, "Seamless1", "Seamless", "", nullptr, 0, 0, "Seamless SeamlessDepth"},

    {0, "Tools1", "&Tools", "", nullptr, 0, 0},
    {1, "GIFoptimize1", "&GIF optimize", "", &F::GIFoptimize1Click, 0, 0},
    {1, "JPGoptimize1", "&JPG optimize", "", &F::JPGoptimize1Click, 0, 0},
    {1, "BatchSettings1", "Batch &Settings...", "", &F::BatchSettings1Click, 0, 0},
    {1, "BatchNow1", "&Batch Now!", "", &F::BatchNow1Click, 0, 0},
    {1, "previewtiled1", "preview tiled", "F2", &F::previewtiled1Click, 0, 0},
    {1, "previewtransparent1", "preview transparent", "Ctrl+F2", &F::previewtransparent1Click, 0, 0},
    {1, "EffectSettings1", "Effect Settings", "", nullptr, 0, 0},
    {2, "ButtonizeDepth1", "Buttonize Depth...", "", nullptr, 0, 0, nullptr, "ButtonizeDepth"},
    {2, "Buttonizeweight1", "Buttonize weight...", "", nullptr, 0, 0, nullptr, "ButtonizeWeight"},
    {2, "FisheyeDepth1", "Fisheye Depth...", "", nullptr, 0, 0, nullptr, "FisheyeDepth"},
    {2, "GaussianDepth1", "Gaussian Depth...", "", nullptr, 0, 0, nullptr, "GaussianDepth"},
    {2, "MosaicSize1", "Mosaic Size...", "", nullptr, 0, 0, nullptr, "MosaicSize"},
    {2, "PosterizeDepth1", "Posterize Depth...", "", nullptr, 0, 0, nullptr, "PosterizeDepth"},
    {2, "SeamlessDepth1", "Seamless Depth...", "", nullptr, 0, 0, nullptr, "SeamlessDepth"},
    {2, "SolarizeDepth1", "Solarize Depth...", "", nullptr, 0, 0, nullptr, "SolarizeDepth"},
    {2, "TwistDepth1", "Twist Depth...", "", nullptr, 0, 0, nullptr, "TwistDepth"},
    {1, "RefreshFiles1", "&Refresh Files", "F12", &F::RefreshFiles1Click, 0, 0},

    {0, "Help1", "&Help", "", nullptr, 0, 0},
    {1, "Contents1", "&Contents", "F1", &F::Contents1Click, 0, 0},
    {1, "About1", "&About", "", &F::About1Click, 0, 0},
    {1, "ontheWeb1", "on the &Web", "", &F::ontheWeb1Click, 0, 0},
};

} // namespace

std::span<const TMenuEntry> MainMenuMap() { return kMainMenu; }

const TMenuEntry* FindMenuEntry(const char* name)
{
    for (const TMenuEntry& e : kMainMenu)
        if (std::string_view(e.Name) == name) return &e;
    return nullptr;
}
