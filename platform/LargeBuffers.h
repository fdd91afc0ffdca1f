#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Pictures of tens of megabytes fill their buffers page by page, and with 4 KiB pages the kernel's
// page faults cost several times the pass that fills them. Buffers that large ask for huge pages
// before anything touches them; the advice is a hint that kernels without huge pages ignore.
void AdviseHugePages(void* data, std::size_t size);

// Empties bytes and gives it room for size bytes, advised as above when it needs new room.
template <class Allocator>
void ClearAndReserve(std::vector<std::uint8_t, Allocator>& bytes, std::size_t size)
{
    bytes.clear();
    if (size <= bytes.capacity()) return;
    // Released first, so that the old contents are not copied into the new room.
    std::vector<std::uint8_t, Allocator>().swap(bytes);
    bytes.reserve(size);
    AdviseHugePages(bytes.data(), bytes.capacity());
}

// Bytes left uninitialised, for data that one pass overwrites whole (a zero fill would be a pass
// of its own).
class TRawBytes {
public:
    TRawBytes() = default;
    explicit TRawBytes(std::size_t size) : data_(new std::uint8_t[size]), size_(size)
    {
        AdviseHugePages(data_.get(), size);
    }

    std::uint8_t* data() { return data_.get(); }
    const std::uint8_t* data() const { return data_.get(); }
    std::size_t size() const { return size_; }

private:
    std::unique_ptr<std::uint8_t[]> data_;
    std::size_t size_ = 0;
};
