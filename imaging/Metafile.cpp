#include "imaging/Codecs.h"

#include "platform/Errors.h"

void DrawMetafile(const std::string&, TBitmap&) { throw EvekImageError("Metafiles are not supported yet."); }
