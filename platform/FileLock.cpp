#include "platform/FileLock.h"

#include "platform/Errors.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

struct flock MakeLock(short type, std::int64_t start, std::int64_t length)
{
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(start);
    fl.l_len = static_cast<off_t>(length);
    fl.l_pid = 0; // required for open-file-description locks
    return fl;
}

} // namespace

TSharedFile::~TSharedFile() { Close(); }

void TSharedFile::Open(const std::string& fileName, bool create, bool truncate)
{
    Close();
    const int flags = O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0) | (create && truncate ? O_TRUNC : 0);
    fd_ = ::open(fileName.c_str(), flags, 0666);
    if (fd_ < 0) throw EvekFileError("can not open " + fileName + ": " + std::strerror(errno));
    fileName_ = fileName;
}

void TSharedFile::Close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

std::int64_t TSharedFile::Size() const
{
    struct stat st;
    if (::fstat(fd_, &st) != 0) throw EvekFileError("can not read " + fileName_ + ": " + std::strerror(errno));
    return st.st_size;
}

void TSharedFile::Truncate(std::int64_t size)
{
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
        throw EvekFileError("can not write " + fileName_ + ": " + std::strerror(errno));
}

std::uint64_t TSharedFile::ChangeStamp() const
{
    struct stat st;
    if (::fstat(fd_, &st) != 0) return 0;
    return (std::uint64_t(st.st_mtim.tv_sec) * 1000000000u + std::uint64_t(st.st_mtim.tv_nsec)) ^
           (std::uint64_t(st.st_size) << 40) ^ std::uint64_t(st.st_ctim.tv_nsec);
}

std::size_t TSharedFile::ReadAt(std::int64_t offset, void* buffer, std::size_t count) const
{
    std::size_t done = 0;
    auto* out = static_cast<char*>(buffer);
    while (done < count) {
        const ssize_t n = ::pread(fd_, out + done, count - done, static_cast<off_t>(offset + std::int64_t(done)));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EvekFileError("can not read " + fileName_ + ": " + std::strerror(errno));
        }
        if (n == 0) break;
        done += std::size_t(n);
    }
    return done;
}

void TSharedFile::WriteAt(std::int64_t offset, const void* buffer, std::size_t count)
{
    std::size_t done = 0;
    const auto* in = static_cast<const char*>(buffer);
    while (done < count) {
        const ssize_t n = ::pwrite(fd_, in + done, count - done, static_cast<off_t>(offset + std::int64_t(done)));
        if (n < 0) {
            if (errno == EINTR) continue;
            throw EvekFileError("can not write " + fileName_ + ": " + std::strerror(errno));
        }
        done += std::size_t(n);
    }
}

bool TSharedFile::TryLock(std::int64_t start, std::int64_t length, bool exclusive)
{
    struct flock fl = MakeLock(exclusive ? F_WRLCK : F_RDLCK, start, length);
    while (::fcntl(fd_, F_OFD_SETLK, &fl) != 0) {
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EACCES) return false;
        throw EvekFileError("can not lock " + fileName_ + ": " + std::strerror(errno));
    }
    return true;
}

bool TSharedFile::Lock(std::int64_t start, std::int64_t length, bool exclusive, int timeoutMs)
{
    if (timeoutMs < 0) {
        struct flock fl = MakeLock(exclusive ? F_WRLCK : F_RDLCK, start, length);
        while (::fcntl(fd_, F_OFD_SETLKW, &fl) != 0) {
            if (errno == EINTR) continue;
            throw EvekFileError("can not lock " + fileName_ + ": " + std::strerror(errno));
        }
        return true;
    }
    // Polling keeps the wait bounded without signals; the first retries come quickly because
    // holders keep these locks for one record at a time.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int pause = 50;
    for (;;) {
        if (TryLock(start, length, exclusive)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(pause));
        pause = std::min(pause * 2, 5000);
    }
}

void TSharedFile::Unlock(std::int64_t start, std::int64_t length)
{
    if (fd_ < 0) return;
    struct flock fl = MakeLock(F_UNLCK, start, length);
    while (::fcntl(fd_, F_OFD_SETLK, &fl) != 0 && errno == EINTR) {
    }
}

bool TSharedFile::IsLockedByOther(std::int64_t start, std::int64_t length) const
{
    struct flock fl = MakeLock(F_WRLCK, start, length);
    while (::fcntl(fd_, F_OFD_GETLK, &fl) != 0) {
        if (errno == EINTR) continue;
        throw EvekFileError("can not test lock of " + fileName_ + ": " + std::strerror(errno));
    }
    return fl.l_type != F_UNLCK;
}

TFileLockScope::TFileLockScope(TSharedFile& file, std::int64_t start, std::int64_t length, bool exclusive,
                               int timeoutMs, const char* busyMessage)
    : file_(file), start_(start), length_(length)
{
    if (!file_.Lock(start, length, exclusive, timeoutMs)) throw EvekFileError(busyMessage);
}

TFileLockScope::~TFileLockScope() { file_.Unlock(start_, length_); }
