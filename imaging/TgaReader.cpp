#include "imaging/Codecs.h"

#include "platform/Errors.h"

void LoadTargaFile(const std::string&, TBitmap&) { throw EvekImageError("Targa files are not supported yet."); }
