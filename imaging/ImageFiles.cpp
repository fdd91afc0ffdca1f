#include "imaging/ImageFiles.h"

#include "platform/Errors.h"
#include "platform/LargeBuffers.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

[[noreturn]] void RaiseFileError(const char* what, const std::string& fileName, int error)
{
    throw EvekFileError(std::string(what) + " \"" + fileName + "\": " + std::strerror(error) + ".");
}

} // namespace

std::vector<std::uint8_t> ReadImageFileBytes(const std::string& fileName)
{
    const int fd = open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) RaiseFileError("Cannot open file", fileName, errno);
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISDIR(info.st_mode) ? EISDIR : errno;
        close(fd);
        RaiseFileError("Cannot read file", fileName, error);
    }
    std::vector<std::uint8_t> bytes;
    ClearAndReserve(bytes, static_cast<std::size_t>(info.st_size));
    bytes.resize(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            close(fd);
            RaiseFileError("Cannot read file", fileName, error);
        }
        if (n == 0) break; // shrank while we read: keep what is there
        done += static_cast<std::size_t>(n);
    }
    close(fd);
    bytes.resize(done);
    return bytes;
}

void WriteImageFileBytes(const std::string& fileName, const void* bytes, std::size_t size)
{
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (!file) RaiseFileError("Cannot create file", fileName, errno);
    const bool written = size == 0 || std::fwrite(bytes, 1, size, file) == size;
    const int error = errno;
    if (std::fclose(file) != 0 || !written) RaiseFileError("Cannot write file", fileName, written ? errno : error);
}
