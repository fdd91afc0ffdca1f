#include "platform/Scanner.h"

#include "platform/Errors.h"

#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cstring>

const char* const kScanNoSourceManager = "Unable to load Source Manager (SANE)";
const char* const kScanCannotOpenManager = "Unable to open Source Manager (SANE)";
const char* const kScanCannotOpenSource = "Unable to open default Data Source.";
const char* const kScanPixelTypeFailed = "Failed to negotiate Pixel Type.";
const char* const kScanCannotEnableSource = "Failed to enable Data Source.";

std::string TScanSource::Label() const
{
    std::string label = Vendor;
    if (!Model.empty()) label += (label.empty() ? "" : " ") + Model;
    return label.empty() ? Name : label + " (" + Name + ")";
}

// ---- putting frames together -------------------------------------------------------------------

namespace {

int Channels(TScanFrameKind kind) { return kind == sfRGB ? 3 : 1; }

// One sample of a row as 8 bits; 16-bit samples keep their high byte, a set bit of a colour band is
// full intensity.
template <int Depth> inline std::uint8_t Sample(const std::uint8_t* row, int index)
{
    if constexpr (Depth == 8) {
        return row[index];
    } else if constexpr (Depth == 16) {
        std::uint16_t value;
        std::memcpy(&value, row + 2 * index, 2);
        return static_cast<std::uint8_t>(value >> 8);
    } else {
        return (row[index >> 3] >> (7 - (index & 7))) & 1 ? 255 : 0;
    }
}

template <int Depth> void CopyRgbRow(const std::uint8_t* src, std::uint8_t* dst, int width)
{
    for (int x = 0; x < width; ++x, dst += 3) {
        dst[2] = Sample<Depth>(src, 3 * x);
        dst[1] = Sample<Depth>(src, 3 * x + 1);
        dst[0] = Sample<Depth>(src, 3 * x + 2);
    }
}

template <int Depth> void CopyBandRow(const std::uint8_t* src, std::uint8_t* dst, int width)
{
    for (int x = 0; x < width; ++x, dst += 3) *dst = Sample<Depth>(src, x);
}

template <int Depth> void CopyGrayRow(const std::uint8_t* src, std::uint8_t* dst, int width)
{
    for (int x = 0; x < width; ++x) dst[x] = Sample<Depth>(src, x);
}

using TRowCopy = void (*)(const std::uint8_t*, std::uint8_t*, int);

TRowCopy RowCopy(TRowCopy depth1, TRowCopy depth8, TRowCopy depth16, int depth)
{
    return depth == 1 ? depth1 : depth == 8 ? depth8 : depth16;
}

} // namespace

void TScanAssembler::BeginFrame(const TScanFrame& frame)
{
    const bool band = frame.Kind == sfRed || frame.Kind == sfGreen || frame.Kind == sfBlue;
    const std::int64_t needed =
        (static_cast<std::int64_t>(frame.PixelsPerLine) * Channels(frame.Kind) * frame.Depth + 7) / 8;
    const bool layoutOk = frame.Kind >= sfGray && frame.Kind <= sfBlue &&
                          (frame.Depth == 1 || frame.Depth == 8 || frame.Depth == 16) &&
                          frame.PixelsPerLine > 0 && frame.PixelsPerLine <= TBitmap::MaxSide &&
                          frame.BytesPerLine >= needed && frame.BytesPerLine <= needed + 65536 &&
                          frame.Lines >= -1 && frame.Lines <= TBitmap::MaxSide;
    // Only the bands of a three-pass scan follow an earlier frame, and they must match it.
    const bool fitsEarlier = image_.Empty() || (band && image_.Width() == frame.PixelsPerLine);
    if (!layoutOk || !fitsEarlier) throw EvekError(kScanPixelTypeFailed);
    frame_ = frame;
    frameBytes_.clear();
    inFrame_ = true;
}

void TScanAssembler::Add(const std::uint8_t* data, std::size_t size)
{
    if (!inFrame_) return;
    std::int64_t maxRows = TBitmap::MaxPixels / frame_.PixelsPerLine;
    maxRows = std::min<std::int64_t>(maxRows, frame_.Lines >= 0 ? frame_.Lines : TBitmap::MaxSide);
    const auto maxBytes = static_cast<std::size_t>(maxRows * frame_.BytesPerLine);
    if (frameBytes_.size() >= maxBytes) return;
    size = std::min(size, maxBytes - frameBytes_.size());
    frameBytes_.insert(frameBytes_.end(), data, data + size);
}

void TScanAssembler::EndFrame()
{
    if (!inFrame_) return;
    StoreRows();
    frameBytes_.clear();
    frameBytes_.shrink_to_fit();
    inFrame_ = false;
}

void TScanAssembler::StoreRows()
{
    const int rows = static_cast<int>(frameBytes_.size() / frame_.BytesPerLine);
    if (rows == 0) return;
    const int width = frame_.PixelsPerLine;
    const int depth = frame_.Depth;
    const std::uint8_t* src = frameBytes_.data();
    const std::size_t step = frame_.BytesPerLine;

    switch (frame_.Kind) {
    case sfGray:
        if (depth == 1) {
            // Line art marks black with a set bit; the bitmap's palette has black first.
            image_ = TBitmap(width, rows, pf1bit);
            const int bytes = (width + 7) / 8;
            for (int y = 0; y < rows; ++y, src += step) {
                std::uint8_t* dst = image_.ScanLine(y);
                for (int i = 0; i < bytes; ++i) dst[i] = static_cast<std::uint8_t>(~src[i]);
            }
        } else {
            image_ = TBitmap(width, rows, pf8bit);
            image_.SetPalette(GrayPalette256());
            const TRowCopy copy = RowCopy(CopyGrayRow<1>, CopyGrayRow<8>, CopyGrayRow<16>, depth);
            for (int y = 0; y < rows; ++y, src += step) copy(src, image_.ScanLine(y), width);
        }
        break;
    case sfRGB: {
        image_ = TBitmap(width, rows, pf24bit);
        const TRowCopy copy = RowCopy(CopyRgbRow<1>, CopyRgbRow<8>, CopyRgbRow<16>, depth);
        for (int y = 0; y < rows; ++y, src += step) copy(src, image_.ScanLine(y), width);
        break;
    }
    default: {
        // The first band sets the height; later bands fill what they cover of it.
        if (image_.Empty()) image_ = TBitmap(width, rows, pf24bit);
        const int offset = frame_.Kind == sfRed ? 2 : frame_.Kind == sfGreen ? 1 : 0;
        const TRowCopy copy = RowCopy(CopyBandRow<1>, CopyBandRow<8>, CopyBandRow<16>, depth);
        const int covered = std::min(rows, image_.Height());
        for (int y = 0; y < covered; ++y, src += step) copy(src, image_.ScanLine(y) + offset, width);
        break;
    }
    }
}

TBitmap TScanAssembler::Take()
{
    EndFrame();
    return std::move(image_);
}

// ---- SANE --------------------------------------------------------------------------------------

namespace {

// SANE is started for each use and stopped after it, so that no device stays open between scans.
class TSaneSession {
public:
    TSaneSession()
    {
        SANE_Int version = 0;
        if (sane_init(&version, nullptr) != SANE_STATUS_GOOD) throw EvekError(kScanNoSourceManager);
    }
    ~TSaneSession() { sane_exit(); }
    TSaneSession(const TSaneSession&) = delete;
    TSaneSession& operator=(const TSaneSession&) = delete;

    // Valid until the session ends.
    const SANE_Device** Devices()
    {
        const SANE_Device** list = nullptr;
        if (sane_get_devices(&list, SANE_TRUE) != SANE_STATUS_GOOD || !list) throw EvekError(kScanCannotOpenManager);
        return list;
    }
};

class TSaneDevice {
public:
    explicit TSaneDevice(const std::string& name)
    {
        if (sane_open(name.c_str(), &handle_) != SANE_STATUS_GOOD || !handle_) throw EvekError(kScanCannotOpenSource);
    }
    ~TSaneDevice()
    {
        sane_cancel(handle_);
        sane_close(handle_);
    }
    TSaneDevice(const TSaneDevice&) = delete;
    TSaneDevice& operator=(const TSaneDevice&) = delete;
    SANE_Handle Handle() const { return handle_; }

private:
    SANE_Handle handle_ = nullptr;
};

std::string Text(SANE_String_Const s) { return s ? s : ""; }

// Sets the scan mode to colour when the device lists a colour mode; a device without one scans as
// it is set.
void ChooseColourMode(SANE_Handle handle)
{
    for (SANE_Int option = 1;; ++option) {
        const SANE_Option_Descriptor* d = sane_get_option_descriptor(handle, option);
        if (!d) return;
        if (!d->name || std::strcmp(d->name, SANE_NAME_SCAN_MODE) != 0) continue;
        if (d->type != SANE_TYPE_STRING || d->constraint_type != SANE_CONSTRAINT_STRING_LIST ||
            !SANE_OPTION_IS_ACTIVE(d->cap) || !SANE_OPTION_IS_SETTABLE(d->cap) || d->size <= 0)
            return;
        for (const SANE_String_Const* mode = d->constraint.string_list; mode && *mode; ++mode) {
            if (std::strcmp(*mode, SANE_VALUE_SCAN_MODE_COLOR) != 0) continue;
            std::vector<char> value(static_cast<std::size_t>(d->size), '\0');
            std::strncpy(value.data(), *mode, value.size() - 1);
            if (sane_control_option(handle, option, SANE_ACTION_SET_VALUE, value.data(), nullptr) != SANE_STATUS_GOOD)
                throw EvekError(kScanPixelTypeFailed);
            return;
        }
        return;
    }
}

bool ToFrameKind(SANE_Frame format, TScanFrameKind& kind)
{
    switch (format) {
    case SANE_FRAME_GRAY: kind = sfGray; return true;
    case SANE_FRAME_RGB: kind = sfRGB; return true;
    case SANE_FRAME_RED: kind = sfRed; return true;
    case SANE_FRAME_GREEN: kind = sfGreen; return true;
    case SANE_FRAME_BLUE: kind = sfBlue; return true;
    default: return false;
    }
}

} // namespace

std::vector<TScanSource> ScanSources()
{
    TSaneSession session;
    std::vector<TScanSource> sources;
    for (const SANE_Device** d = session.Devices(); *d; ++d)
        sources.push_back({Text((*d)->name), Text((*d)->vendor), Text((*d)->model), Text((*d)->type)});
    return sources;
}

TBitmap ScanImage(const std::string& deviceName)
{
    TSaneSession session;
    std::string name = deviceName;
    if (name.empty()) {
        const SANE_Device** devices = session.Devices();
        if (!devices[0] || !devices[0]->name) throw EvekError(kScanCannotOpenSource);
        name = devices[0]->name;
    }
    TSaneDevice device(name);
    const SANE_Handle handle = device.Handle();
    ChooseColourMode(handle);

    TScanAssembler assembler;
    std::vector<SANE_Byte> buffer(64 * 1024);
    for (bool last = false; !last;) {
        SANE_Status status = sane_start(handle);
        if (status == SANE_STATUS_CANCELLED) return TBitmap();
        if (status != SANE_STATUS_GOOD) throw EvekError(kScanCannotEnableSource);
        SANE_Parameters p{};
        TScanFrameKind kind = sfGray;
        if (sane_get_parameters(handle, &p) != SANE_STATUS_GOOD || !ToFrameKind(p.format, kind))
            throw EvekError(kScanPixelTypeFailed);
        assembler.BeginFrame({kind, p.depth, p.bytes_per_line, p.pixels_per_line, p.lines});
        for (;;) {
            SANE_Int length = 0;
            status = sane_read(handle, buffer.data(), static_cast<SANE_Int>(buffer.size()), &length);
            if (status == SANE_STATUS_EOF) break;
            if (status == SANE_STATUS_CANCELLED) return TBitmap();
            if (status != SANE_STATUS_GOOD) throw EvekError(std::string("Scanning failed: ") + sane_strstatus(status));
            assembler.Add(buffer.data(), static_cast<std::size_t>(std::clamp<SANE_Int>(length, 0, buffer.size())));
        }
        assembler.EndFrame();
        last = p.last_frame;
    }
    return assembler.Take();
}
