#include "imaging/Codecs.h"

#include "platform/Errors.h"

// Password-protected images arrive with the cipher manager.
bool DecodeEncryptedImage(const std::uint8_t*, std::size_t, TBitmap&, const std::string&)
{
    throw EvekImageError("Encrypted image files are not supported yet.");
}

std::optional<TImageBytes> EncodeEncryptedImage(const TBitmap&, const std::string&, const TImageFileSettings&)
{
    throw EvekImageError("Encrypted image files are not supported yet.");
}
