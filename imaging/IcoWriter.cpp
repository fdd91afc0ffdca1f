#include "imaging/Codecs.h"

#include "platform/Errors.h"

bool SaveIconFile(const std::string&, TBitmap&) { throw EvekImageError("Writing icon files is not supported yet."); }
