#include "imaging/TgaReader.h"
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        TTarga targa;
        targa.LoadFromBytes(data, size);
    } catch (const EvekImageError&) {
    }
    return 0;
}
