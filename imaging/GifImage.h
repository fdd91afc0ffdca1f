#pragma once
#include "imaging/ColorReduction.h"
#include "platform/TBitmap.h"

#include <cstdint>
#include <functional>
#include <vector>

enum TGifProgressStage { psStarting, psRunning, psEnding };
using TGifProgressEvent = std::function<void(TGifProgressStage stage, int percent)>;

// A GIF of one frame as the writer builds it: a bitmap is assigned, extensions are added, and the
// image is saved. The plain GIF save and the GIF optimizer differ only in the steps they take.
class TGIFImage {
public:
    // With the process-wide reduction settings as they are when the image is created.
    TGIFImage();
    explicit TGIFImage(const TReductionSettings& reduction);

    // Reports the reduction in Assign and the encoding in SaveToBytes, each from 0 to 100 percent.
    TGifProgressEvent OnProgress;

    // A bitmap above 8 bits a pixel is reduced with the image's settings; 1- to 8-bit bitmaps keep
    // their palette and indices.
    void Assign(const TBitmap& source);
    // The frame: 8 bits a pixel, its palette the colour map.
    const TBitmap& Bitmap() const { return frame_; }
    // The palette index of the frame's bottom-left pixel, the one made transparent.
    int BottomLeftIndex() const;

    void AddGraphicControlExtension(bool transparent, int transparentIndex);
    // Drops the colour-map entries no pixel uses and renumbers the pixels.
    void OptimizeColorMap();

    std::vector<std::uint8_t> SaveToBytes() const;

private:
    TReductionSettings reduction_;
    TBitmap frame_;
    bool control_ = false;
    bool transparent_ = false;
    int transparentIndex_ = 0;
};

// The GIF optimizer's save: the reduction's palette and indices exactly as it made them (no
// colour-map optimization) and always a graphic control extension, transparent with the
// bottom-left pixel's index when transparent is set.
std::vector<std::uint8_t> EncodeOptimizedGif(const TBitmap& source, const TReductionSettings& reduction,
                                             bool transparent, const TGifProgressEvent& progress = {});
