#include "imaging/Codecs.h"
#include "platform/Errors.h"
#include "platform/UiServices.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TScriptedUi ui; // the readers' messages are recorded, not printed
    TUiScope scope(ui);
    try {
        TBitmap page;
        DecodeTiff(data, size, page, "fuzz.tif");
        // What we read we must write, and read again as the same picture.
        if (static_cast<std::int64_t>(page.Width()) * page.Height() <= 1 << 20) {
            const TImageBytes bytes = EncodeTiff(page);
            TBitmap back;
            DecodeTiff(bytes.data(), bytes.size(), back, "fuzz.tif");
            if (!(back == page)) __builtin_trap();
        }
    } catch (const EvekImageError&) {
    }
    return 0;
}
