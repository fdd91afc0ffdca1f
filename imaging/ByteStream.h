#pragma once
#include "platform/LargeBuffers.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The byte order of a file's numbers.
enum class TByteOrder { LittleEndian, BigEndian };

// Reads the numbers of a file held in memory, in sequence or at an offset. Every read is checked
// against the end, so a truncated or lying file ends in EvekImageError("<format> file is
// truncated.") (or the overrun message given) instead of a read past the buffer.
class TByteReader {
public:
    TByteReader(const std::uint8_t* data, std::size_t size, const char* format,
                TByteOrder order = TByteOrder::LittleEndian, const char* overrunMessage = nullptr)
        : data_(data), size_(size), format_(format), overrun_(overrunMessage), order_(order)
    {
    }

    std::size_t Size() const { return size_; }
    std::size_t Position() const { return pos_; }
    std::size_t Remaining() const { return size_ - pos_; }
    const std::uint8_t* Data() const { return data_; }
    const char* Format() const { return format_; }
    TByteOrder Order() const { return order_; }
    void SetOrder(TByteOrder order) { order_ = order; }

    // In sequence, from the position on.
    void Seek(std::size_t pos)
    {
        if (pos > size_) Truncated();
        pos_ = pos;
    }
    void Skip(std::size_t n) { Bytes(n); }
    const std::uint8_t* Bytes(std::size_t n)
    {
        const std::uint8_t* p = BytesAt(pos_, n);
        pos_ += n;
        return p;
    }
    std::uint8_t U8() { return *Bytes(1); }
    std::uint16_t U16() { return Load16(Bytes(2)); }
    std::uint32_t U32() { return Load32(Bytes(4)); }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

    // At an offset, leaving the position alone.
    bool Has(std::size_t at, std::size_t n) const { return at <= size_ && n <= size_ - at; }
    void Need(std::size_t at, std::size_t n) const
    {
        if (!Has(at, n)) Truncated();
    }
    const std::uint8_t* BytesAt(std::size_t at, std::size_t n) const
    {
        Need(at, n);
        return data_ + at;
    }
    std::uint8_t U8(std::size_t at) const { return *BytesAt(at, 1); }
    std::uint16_t U16(std::size_t at) const { return Load16(BytesAt(at, 2)); }
    std::int16_t I16(std::size_t at) const { return static_cast<std::int16_t>(U16(at)); }
    std::uint32_t U32(std::size_t at) const { return Load32(BytesAt(at, 4)); }
    std::int32_t I32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }

    [[noreturn]] void Truncated() const;
    [[noreturn]] void Corrupt(const std::string& what) const;

private:
    std::uint16_t Load16(const std::uint8_t* p) const
    {
        return order_ == TByteOrder::LittleEndian ? static_cast<std::uint16_t>(p[0] | (p[1] << 8))
                                                  : static_cast<std::uint16_t>((p[0] << 8) | p[1]);
    }
    std::uint32_t Load32(const std::uint8_t* p) const
    {
        if (order_ == TByteOrder::LittleEndian)
            return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
                   (std::uint32_t(p[3]) << 24);
        return (std::uint32_t(p[0]) << 24) | (std::uint32_t(p[1]) << 16) | (std::uint32_t(p[2]) << 8) | p[3];
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    const char* format_;
    const char* overrun_;
    TByteOrder order_;
};

// Builds a file's bytes: numbers in the file's order, raw bytes, and numbers patched in later.
class TByteWriter {
public:
    explicit TByteWriter(TByteOrder order = TByteOrder::LittleEndian) : order_(order) {}

    void Reserve(std::size_t n)
    {
        if (n <= bytes_.capacity()) return;
        bytes_.reserve(n);
        AdviseHugePages(bytes_.data(), bytes_.capacity());
    }
    std::size_t Position() const { return bytes_.size(); }

    void Put8(std::uint32_t v) { bytes_.push_back(static_cast<std::uint8_t>(v)); }
    void Put16(std::uint32_t v)
    {
        std::uint8_t b[2];
        Store16(b, v);
        bytes_.insert(bytes_.end(), b, b + 2);
    }
    void Put32(std::uint32_t v)
    {
        std::uint8_t b[4];
        Store32(b, v);
        bytes_.insert(bytes_.end(), b, b + 4);
    }
    void PutBytes(const void* data, std::size_t n)
    {
        const auto* p = static_cast<const std::uint8_t*>(data);
        bytes_.insert(bytes_.end(), p, p + n);
    }
    void PutText(const std::string& text) { PutBytes(text.data(), text.size()); }
    void Patch32(std::size_t at, std::uint32_t v) { Store32(bytes_.data() + at, v); }

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

private:
    void Store16(std::uint8_t* b, std::uint32_t v) const
    {
        const bool little = order_ == TByteOrder::LittleEndian;
        b[little ? 0 : 1] = static_cast<std::uint8_t>(v);
        b[little ? 1 : 0] = static_cast<std::uint8_t>(v >> 8);
    }
    void Store32(std::uint8_t* b, std::uint32_t v) const
    {
        for (int i = 0; i < 4; ++i)
            b[order_ == TByteOrder::LittleEndian ? i : 3 - i] = static_cast<std::uint8_t>(v >> (8 * i));
    }

    std::vector<std::uint8_t> bytes_;
    TByteOrder order_;
};
