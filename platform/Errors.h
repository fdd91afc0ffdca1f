#pragma once
#include <stdexcept>
#include <string>

// Every failure of the system is an exception carrying its message text; the application's
// error box (or the command line's standard error) shows what() unchanged.
class EvekError : public std::runtime_error {
public:
    explicit EvekError(const std::string& message) : std::runtime_error(message) {}
};

// Raised by image readers and writers, and by TBitmap when asked for an impossible image.
class EvekImageError : public EvekError {
public:
    using EvekError::EvekError;
};

// Raised by file operations of the platform layer (open, create, lock, rename).
class EvekFileError : public EvekError {
public:
    using EvekError::EvekError;
};
