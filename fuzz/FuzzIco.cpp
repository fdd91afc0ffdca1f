#include "imaging/Codecs.h"
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        TBitmap target(3, 2, pf8bit);
        DrawIcon(DecodeIcon(data, size), target);
    } catch (const EvekImageError&) {
    }
    return 0;
}
