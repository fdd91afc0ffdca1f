#include "platform/Errors.h"
#include "script/VekScript.h"

#include <cstddef>
#include <cstdint>
#include <string>

// The loader only: running fuzzed atoms would reach the file and shell words.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TvekScript script;
    script.ScriptTimeOut = 2;
    try {
        script.SetScript(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const EvekError&) {
    }
    return 0;
}
