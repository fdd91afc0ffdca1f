#pragma once
#include "platform/Errors.h"

// Every load and run error of a script, and the data-source index errors: a message text only,
// no line or column.
class EvekScriptError : public EvekError {
public:
    using EvekError::EvekError;
};

// The one message of every failed value conversion (a text that is not a number, Null as a number).
inline constexpr const char* kConversionError = "Invalid variant type conversion";
