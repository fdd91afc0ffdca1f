#include "imaging/Codecs.h"
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        TBitmap bmp;
        DecodeJpeg(data, size, bmp);
    } catch (const EvekImageError&) {
    }
    return 0;
}
