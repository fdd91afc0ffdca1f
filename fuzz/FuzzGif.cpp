#include "imaging/Codecs.h"
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        TBitmap bmp;
        DecodeGif(data, size, bmp);
        // What we read we must be able to write again, transparency and all.
        if (static_cast<std::int64_t>(bmp.Width()) * bmp.Height() <= 1 << 20) EncodeGif(bmp, true);
    } catch (const EvekImageError&) {
    }
    return 0;
}
