#include "imaging/Codecs.h"
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        TBitmap bmp;
        DecodeBmp(data, size, bmp);
        // What we read we must be able to write.
        EncodeBmp(bmp);
    } catch (const EvekImageError&) {
    }
    return 0;
}
