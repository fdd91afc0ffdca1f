#pragma once
#include <cstdint>
#include <string>

// A file opened for reading and writing, shared with other processes, with byte-range locks that
// belong to this open file: two opens of one file in the same process are two lock holders, and the
// system drops every lock of an open file when it is closed or its process dies.
class TSharedFile {
public:
    TSharedFile() = default;
    ~TSharedFile();
    TSharedFile(const TSharedFile&) = delete;
    TSharedFile& operator=(const TSharedFile&) = delete;

    // Opens an existing file (create = false) or creates it, emptying it when truncate is set;
    // raises EvekFileError.
    void Open(const std::string& fileName, bool create, bool truncate = true);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }

    std::int64_t Size() const;
    // Reads up to count bytes at offset; returns the number read (short at the end of the file).
    std::size_t ReadAt(std::int64_t offset, void* buffer, std::size_t count) const;
    // Writes all count bytes at offset; raises EvekFileError.
    void WriteAt(std::int64_t offset, const void* buffer, std::size_t count);
    void Truncate(std::int64_t size);
    // A number that changes whenever the file is written by anyone (modification time and size).
    std::uint64_t ChangeStamp() const;

    // Byte-range locks. Try* returns false at once when another holder conflicts; Lock waits up to
    // timeoutMs (negative: for ever) and returns false when the time passed.
    bool TryLock(std::int64_t start, std::int64_t length, bool exclusive);
    bool Lock(std::int64_t start, std::int64_t length, bool exclusive, int timeoutMs);
    void Unlock(std::int64_t start, std::int64_t length);
    // Whether another holder keeps any lock on the range.
    bool IsLockedByOther(std::int64_t start, std::int64_t length) const;

private:
    int fd_ = -1;
    std::string fileName_;
};

// Holds a lock for a scope.
class TFileLockScope {
public:
    TFileLockScope(TSharedFile& file, std::int64_t start, std::int64_t length, bool exclusive, int timeoutMs,
                   const char* busyMessage);
    ~TFileLockScope();
    TFileLockScope(const TFileLockScope&) = delete;
    TFileLockScope& operator=(const TFileLockScope&) = delete;

private:
    TSharedFile& file_;
    std::int64_t start_, length_;
};
