#include "app/CommandLine.h"

#include "platform/Errors.h"

int CliFx(const TCliArgs&) { throw EvekError("not supported yet"); }
