#include "imaging/Codecs.h"
#include "platform/Errors.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

// Text needs the font database, which lives in the application object.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication application(*argc, *argv);
    return 0;
}

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
