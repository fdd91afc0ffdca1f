#include "imaging/TiffFile.h"
#include "platform/Errors.h"
#include "platform/UiServices.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TScriptedUi ui; // the readers' messages are recorded, not printed
    TUiScope scope(ui);
    TFileTiff file;
    file.SetBytes(std::vector<std::uint8_t>(data, data + size));
    try {
        TBitmap page;
        DecodeTiff(file, page);
        // What we read we must write, and read again as the same picture.
        if (static_cast<std::int64_t>(page.Width()) * page.Height() <= 1 << 20) {
            std::string bytes = EncodeTiff(page);
            TFileTiff again;
            again.SetBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
            TBitmap back;
            DecodeTiff(again, back);
            if (!(back == page)) __builtin_trap();
        }
    } catch (const EvekImageError&) {
    }
    return 0;
}
