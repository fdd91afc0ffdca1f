#include "imaging/Codecs.h"

#include "platform/Errors.h"

void LoadPngFile(const std::string&, TBitmap&, std::string&) { throw EvekImageError("PNG files are not supported yet."); }
void SavePngFile(const std::string&, const TBitmap&, bool, const std::string&)
{
    throw EvekImageError("PNG files are not supported yet.");
}
