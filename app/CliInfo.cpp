#include "app/CommandLine.h"

#include "platform/Errors.h"

int CliInfo(const TCliArgs&) { throw EvekError("not supported yet"); }
