#include "app/CommandLine.h"

#include "platform/Errors.h"

int CliConvert(const TCliArgs&) { throw EvekError("not supported yet"); }
