#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The only place image files are opened: the dispatch reads a whole file before decoding it and
// writes one only once it is encoded.

// The whole of a file; a missing or unreadable file raises EvekFileError naming it.
std::vector<std::uint8_t> ReadImageFileBytes(const std::string& fileName);
// Creates or truncates the file and writes bytes, encoded beforehand so that a failed encoding
// leaves no half-written file; failures raise EvekFileError.
void WriteImageFileBytes(const std::string& fileName, const void* bytes, std::size_t size);
inline void WriteImageFileBytes(const std::string& fileName, const std::vector<std::uint8_t>& bytes)
{
    WriteImageFileBytes(fileName, bytes.data(), bytes.size());
}
inline void WriteImageFileBytes(const std::string& fileName, const std::string& bytes)
{
    WriteImageFileBytes(fileName, bytes.data(), bytes.size());
}
