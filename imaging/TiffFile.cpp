#include "imaging/Codecs.h"

#include "platform/Errors.h"

void LoadTiffFile(const std::string&, TBitmap&) { throw EvekImageError("TIFF files are not supported yet."); }
void SaveTiffFile(const std::string&, const TBitmap&) { throw EvekImageError("TIFF files are not supported yet."); }
