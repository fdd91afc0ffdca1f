#include "imaging/ByteStream.h"
#include "imaging/PngChunks.h"
#include "imaging/PngImage.h"
#include "platform/Errors.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Mutated files almost never keep valid check values, which would stop every input at the first
// chunk; the check values are therefore recomputed, so the fuzzer reaches the decoder.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> file(data, data + size);
    const TByteReader in(file.data(), file.size(), "PNG", TByteOrder::BigEndian);
    for (std::size_t pos = 8; pos + 12 <= file.size();) {
        const std::uint32_t length = in.U32(pos);
        if (length > file.size() - pos - 12) break;
        std::uint32_t crc = ChunkCrc(std::string_view(reinterpret_cast<const char*>(&file[pos + 4]), 4), &file[pos + 8], length);
        for (int i = 0; i < 4; ++i) file[pos + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        pos += 12 + length;
    }
    // Whatever loads must also save: the writer meets every chunk list a file can leave behind.
    TPNGImage png;
    try {
        png.LoadFromMemory(file.data(), file.size());
        png.ChunkText();
        png.SaveToMemory();
    } catch (const EvekImageError&) {
    }
    return 0;
}
