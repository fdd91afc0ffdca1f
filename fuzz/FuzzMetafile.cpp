#include "imaging/MetafilePlayer.h"
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        // A palette target exercises the canvas's colour mapping as well.
        TBitmap target(1, 1, pf8bit);
        DecodeMetafile(data, size, target);
    } catch (const EvekImageError&) {
    }
    return 0;
}
