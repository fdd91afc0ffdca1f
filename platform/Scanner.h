#pragma once
#include "platform/TBitmap.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Scanner access through SANE: the list of devices is the source selection, one scan is the
// acquisition. Failures raise EvekError with the scan messages the window shows:
extern const char* const kScanNoSourceManager;    // SANE does not start
extern const char* const kScanCannotOpenManager;  // SANE cannot list its devices
extern const char* const kScanCannotOpenSource;   // no device, or the device does not open
extern const char* const kScanPixelTypeFailed;    // the device cannot be set up or sends a layout we cannot take
extern const char* const kScanCannotEnableSource; // the device does not start scanning

struct TScanSource {
    std::string Name; // what ScanImage takes, e.g. "test:0"
    std::string Vendor;
    std::string Model;
    std::string Type;
    // "Vendor Model (Name)", for choosing.
    std::string Label() const;
};

// The scanners attached to this machine (network scanners are not searched for).
std::vector<TScanSource> ScanSources();

// One acquisition from the named device ("" for the first one), in colour where the device offers a
// colour mode. Colour frames give 24 bits a pixel, grey 8 bits with a grey palette, line art 1 bit
// black and white. An empty bitmap means the scan was cancelled at the device: nothing arrived.
TBitmap ScanImage(const std::string& deviceName);

// How a frame of a scan is laid out, as the device reports it before sending it.
enum TScanFrameKind : int { sfGray, sfRGB, sfRed, sfGreen, sfBlue };
struct TScanFrame {
    TScanFrameKind Kind = sfGray;
    int Depth = 8; // bits a sample: 1, 8 or 16 (16-bit samples in the machine's byte order)
    int BytesPerLine = 0;
    int PixelsPerLine = 0;
    int Lines = -1; // -1 when the device does not know the height beforehand (hand scanners)
};

// Puts the frames of one acquisition together into a bitmap: one grey, line-art or colour frame, or
// a red, a green and a blue frame in any order (three-pass devices).
class TScanAssembler {
public:
    // Raises kScanPixelTypeFailed for a layout it cannot take.
    void BeginFrame(const TScanFrame& frame);
    // Bytes of the current frame, in any pieces; bytes past the announced lines are dropped.
    void Add(const std::uint8_t* data, std::size_t size);
    void EndFrame();
    // The image; empty when no whole row arrived.
    TBitmap Take();

private:
    void StoreRows();

    TScanFrame frame_;
    std::vector<std::uint8_t> frameBytes_;
    TBitmap image_;
    bool inFrame_ = false;
};
