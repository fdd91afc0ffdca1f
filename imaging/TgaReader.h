#pragma once
#include "platform/TBitmap.h"

#include <cstdint>
#include <string>
#include <vector>

enum TTargaType {
    ttNoImageData,
    ttColorMapedImage,
    ttTrueColorImage,
    ttBlackAndWhiteImage,
    ttRLEColorMapedImage,
    ttRLETrueColorImage,
    ttRLEBlackAndWhiteImage,
};

enum TTargaColorDepthType { cd8bit, cd16bit, cd24bit, cd32bit };

// The Targa reader: decodes a whole file into a 32-bit colour bitmap and, for 32-bit true-colour
// files, a grey picture of the alpha channel (empty for files without alpha). A file shorter than
// its header and fields announce raises EvekImageError("Targa file is truncated.").
class TTarga {
public:
    void LoadFromBytes(const std::uint8_t* data, std::size_t size);

    const TBitmap& ColorBitmap() const { return color_; }
    const TBitmap& AlphaBitmap() const { return alpha_; }
    const std::string& Identifier() const { return identifier_; }
    TTargaType TargaType() const { return type_; }
    TTargaColorDepthType ColorDepth() const { return depth_; }
    bool IncludeAlphaChannel() const { return includeAlpha_; }

private:
    TBitmap color_;
    TBitmap alpha_;
    std::string identifier_;
    std::vector<TRGBQuad> palette_; // blue, green, red and alpha (in rgbReserved)
    TTargaType type_ = ttNoImageData;
    TTargaColorDepthType depth_ = cd8bit;
    bool includeAlpha_ = false;
};
