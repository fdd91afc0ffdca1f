#include "imaging/Codecs.h"

#include "platform/Errors.h"

// Password-protected images arrive with the cipher manager.
bool LoadEncryptedImageFile(const std::string&, TBitmap&, const std::string&)
{
    throw EvekImageError("Encrypted image files are not supported yet.");
}
bool SaveEncryptedImageFile(const std::string&, const TBitmap&, const std::string&)
{
    throw EvekImageError("Encrypted image files are not supported yet.");
}
