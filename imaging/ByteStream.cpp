#include "imaging/ByteStream.h"

#include "platform/Errors.h"

void TByteReader::Truncated() const
{
    if (overrun_) throw EvekImageError(overrun_);
    throw EvekImageError(std::string(format_) + " file is truncated.");
}

void TByteReader::Corrupt(const std::string& what) const
{
    throw EvekImageError(std::string(format_) + " file is corrupt: " + what + ".");
}
