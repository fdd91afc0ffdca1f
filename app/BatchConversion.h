#pragma once
#include "imaging/ImageIO.h"
#include "platform/TBitmap.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// Batch conversion: every file resized to one fixed width or height, keeping its aspect ratio, and
// written in one format into one folder. The window's Batch Now and `vistrel batch` share it.

// The output formats by index: 0 ".bmp", 1 ".gif", 2 ".jpg", 3 ".png", 4 ".tif".
constexpr int kBatchFormatCount = 5;
const char* BatchExtension(int format);
// "bmp", "jpg", ... (case-insensitive, without the dot) to its index; -1 when it is none of them.
int BatchFormatByName(const std::string& name);

struct TBatchSettings {
    int Width = 100;
    int Height = 100;
    int Format = 2; // JPG
    int Keep = 0;   // 0 keeps the width, 1 the height
    std::string Dir;
    TImageFileSettings File; // JPEG quality and Transparent GIF of the saves
};

// The result size for a source of width x height: the kept side takes its setting, the other follows
// the aspect ratio, rounded to the nearest integer with halves to even. A side never rounds to 0.
void BatchResultSize(int width, int height, const TBatchSettings& settings, int& resultWidth, int& resultHeight);

// dir + "/" + the file's name without folder and extension + the format's extension.
std::string BatchOutputName(const std::string& dir, const std::string& fileName, int format);

// What became of one file of the batch.
struct TBatchFileResult {
    enum TOutcome {
        boWritten,
        boSkipped, // the password was cancelled
        boEmpty,   // the file gave no pixels: Message is "r=0 for " and its name
        boFailed,
    };
    TOutcome Outcome = boFailed;
    std::string OutputName; // set when written
    std::string Message;    // why it was skipped or failed
};

// Loads one file, resizes it with Stretch (Lanczos3, support 3.0) and saves it. source and result are
// reused from file to file. A cancelled password skips the file; anything that goes wrong fails it,
// and neither writes a file.
TBatchFileResult ConvertBatchFile(const std::string& fileName, const TBatchSettings& settings, TBitmap& source,
                                  TBitmap& result);

// Converts files with up to jobs files at a time. report is called once for every file, in list order
// and on the calling thread, whatever order the files finish in; returning false stops the run after
// the files under way. Files that share an output name are converted one after another in list order,
// so the later one is kept, as in a run of one file at a time. With jobs 1 every file is converted on
// the calling thread (the window's password questions need that).
void RunBatch(const std::vector<std::string>& files, const TBatchSettings& settings, int jobs,
              const std::function<bool(std::size_t index, const TBatchFileResult& result)>& report);
