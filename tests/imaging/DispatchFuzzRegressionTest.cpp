#include "DispatchTestTools.h"

#include "imaging/Codecs.h"

#include "tests/common/TestFiles.h"

#include <filesystem>
#include <map>

namespace {

// Inputs kept from the fuzz targets' runs (crashing inputs once fixed, and samples of the corpora
// they grew, which reach the readers' refusal paths), replayed against the same readers: each must
// decode or be refused with EvekImageError.
TEST(DispatchFuzzRegressionTest, KeptInputsDecodeOrAreRefused)
{
    using TDecode = std::function<void(const std::uint8_t*, std::size_t)>;
    const std::map<std::string, TDecode> readers = {
        {"bmp", [](const std::uint8_t* p, std::size_t n) { TBitmap b; DecodeBmp(p, n, b); }},
        {"jpeg", [](const std::uint8_t* p, std::size_t n) { TBitmap b; DecodeJpeg(p, n, b); }},
        {"gif", [](const std::uint8_t* p, std::size_t n) { TBitmap b; DecodeGif(p, n, b); }},
        {"ico", [](const std::uint8_t* p, std::size_t n) { TBitmap b(3, 2, pf8bit); DrawIcon(DecodeIcon(p, n), b); }},
    };
    // VISTREL_TEST_DATA is <source>/tests/imaging/data, which need not exist.
    const std::filesystem::path root =
        std::filesystem::path(VISTREL_TEST_DATA).parent_path().parent_path().parent_path() / "fuzz" / "regressions";
    int replayed = 0;
    for (const auto& [codec, decode] : readers) {
        if (!std::filesystem::is_directory(root / codec)) continue;
        for (const auto& entry : std::filesystem::directory_iterator(root / codec)) {
            const auto bytes = Bytes(ReadWholeFile(entry.path().string()));
            try {
                decode(bytes.data(), bytes.size());
            } catch (const EvekImageError&) {
            }
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0) << "no inputs under " << root;
}

} // namespace
