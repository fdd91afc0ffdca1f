#include "app/CommandLine.h"

#include "platform/Errors.h"

int CliRun(const TCliArgs&) { throw EvekError("not supported yet"); }
