#pragma once
// The one place that meets libjpeg's error handling: its errors (and the warnings that mean a
// damaged file) jump back here and leave as EvekImageError; nothing is printed and the process is
// never ended by the library.
#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

struct TJpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    jpeg_progress_mgr progress;
};

// Reads a JPEG held in memory. Header() is read on construction.
class TJpegDecompressor {
public:
    TJpegDecompressor(const std::uint8_t* data, std::size_t size);
    ~TJpegDecompressor();
    TJpegDecompressor(const TJpegDecompressor&) = delete;
    TJpegDecompressor& operator=(const TJpegDecompressor&) = delete;

    jpeg_decompress_struct& Info() { return info_; }
    void Start();
    // Reads up to count rows; returns the number read.
    unsigned ReadRows(std::uint8_t** rows, unsigned count);
    void Finish();

private:
    jpeg_decompress_struct info_;
    TJpegErrorManager error_;
};

// Writes a JPEG into memory; set Info()'s image fields, then Start.
class TJpegCompressor {
public:
    TJpegCompressor();
    ~TJpegCompressor();
    TJpegCompressor(const TJpegCompressor&) = delete;
    TJpegCompressor& operator=(const TJpegCompressor&) = delete;

    jpeg_compress_struct& Info() { return info_; }
    // Applies the defaults for Info().in_color_space and the quality (1..100), then starts; grayscale
    // writes one grey component whatever the rows hold.
    void Start(int quality, bool grayscale = false);
    void WriteRows(std::uint8_t** rows, unsigned count);
    std::vector<std::uint8_t> Finish();

private:
    jpeg_compress_struct info_;
    TJpegErrorManager error_;
    unsigned char* buffer_ = nullptr;
    unsigned long bufferSize_ = 0;
};
