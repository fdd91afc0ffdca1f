#include "imaging/JpegLib.h"

#include "platform/Errors.h"

#include <cstdlib>
#include <string>

#include <jerror.h>

namespace {

// A file with more scans than this is hostile: each scan reruns the whole decoding.
constexpr int kMaxScans = 1000;

void ErrorExit(j_common_ptr info)
{
    auto* err = reinterpret_cast<TJpegErrorManager*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings are how libjpeg reports truncated and damaged data; we refuse such files. Stray bytes
// between markers are harmless and common, so they pass.
void EmitMessage(j_common_ptr info, int level)
{
    if (level < 0 && info->err->msg_code != JWRN_EXTRANEOUS_DATA) ErrorExit(info);
}

void OutputMessage(j_common_ptr) {}

void ProgressMonitor(j_common_ptr info)
{
    if (info->is_decompressor) {
        auto* d = reinterpret_cast<j_decompress_ptr>(info);
        if (d->input_scan_number > kMaxScans) {
            auto* err = reinterpret_cast<TJpegErrorManager*>(info->err);
            std::snprintf(err->message, sizeof err->message, "JPEG file has more than %d scans", kMaxScans);
            std::longjmp(err->jump, 1);
        }
    }
}

jpeg_error_mgr* InitErrors(TJpegErrorManager& err)
{
    jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    err.pub.output_message = OutputMessage;
    err.message[0] = 0;
    err.progress = {};
    err.progress.progress_monitor = ProgressMonitor;
    return &err.pub;
}

[[noreturn]] void Raise(const TJpegErrorManager& err)
{
    throw EvekImageError(std::string("JPEG error: ") + err.message + ".");
}

} // namespace

// Each guarded call holds no object with a destructor between setjmp and the library, so the jump
// back skips nothing; the exception is thrown only after it has landed.
#define JPEG_GUARDED(err, call)                                                                                       \
    do {                                                                                                               \
        if (setjmp((err).jump)) Raise(err);                                                                            \
        call;                                                                                                          \
    } while (0)

TJpegDecompressor::TJpegDecompressor(const std::uint8_t* data, std::size_t size)
{
    info_.err = InitErrors(error_);
    if (setjmp(error_.jump)) {
        jpeg_destroy_decompress(&info_);
        Raise(error_);
    }
    jpeg_create_decompress(&info_);
    info_.progress = &error_.progress;
    jpeg_mem_src(&info_, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info_, TRUE);
}

TJpegDecompressor::~TJpegDecompressor() { jpeg_destroy_decompress(&info_); }

void TJpegDecompressor::Start() { JPEG_GUARDED(error_, jpeg_start_decompress(&info_)); }

unsigned TJpegDecompressor::ReadRows(std::uint8_t** rows, unsigned count)
{
    unsigned n = 0;
    JPEG_GUARDED(error_, n = jpeg_read_scanlines(&info_, rows, count));
    // A suspending source never applies to memory: no rows means no more data.
    if (n == 0) throw EvekImageError("JPEG file is truncated.");
    return n;
}

void TJpegDecompressor::Finish() { JPEG_GUARDED(error_, jpeg_finish_decompress(&info_)); }

TJpegCompressor::TJpegCompressor()
{
    info_.err = InitErrors(error_);
    if (setjmp(error_.jump)) {
        jpeg_destroy_compress(&info_);
        Raise(error_);
    }
    jpeg_create_compress(&info_);
    jpeg_mem_dest(&info_, &buffer_, &bufferSize_);
}

TJpegCompressor::~TJpegCompressor()
{
    jpeg_destroy_compress(&info_);
    std::free(buffer_);
}

void TJpegCompressor::Start(int quality, bool grayscale)
{
    JPEG_GUARDED(error_, {
        jpeg_set_defaults(&info_);
        // The library turns colour rows into their luminance itself.
        if (grayscale) jpeg_set_colorspace(&info_, JCS_GRAYSCALE);
        jpeg_set_quality(&info_, quality, TRUE);
        jpeg_start_compress(&info_, TRUE);
    });
}

void TJpegCompressor::WriteRows(std::uint8_t** rows, unsigned count)
{
    JPEG_GUARDED(error_, jpeg_write_scanlines(&info_, rows, count));
}

std::vector<std::uint8_t> TJpegCompressor::Finish()
{
    JPEG_GUARDED(error_, jpeg_finish_compress(&info_));
    return std::vector<std::uint8_t>(buffer_, buffer_ + bufferSize_);
}
