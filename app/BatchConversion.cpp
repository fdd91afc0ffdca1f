#include "app/BatchConversion.h"

#include "app/VistrelDoc.h"
#include "effects/PaintFX.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <optional>
#include <thread>
#include <unordered_map>
#include <unordered_set>

namespace fs = std::filesystem;

namespace {

constexpr const char* kExtensions[kBatchFormatCount] = {".bmp", ".gif", ".jpg", ".png", ".tif"};

// Round to nearest, halves to even (the default rounding mode), and never below one pixel: a side
// of 0 would write a file no reader takes.
int RoundedSide(double value) { return static_cast<int>(std::max(1.0, std::min(std::nearbyint(value), 2147483647.0))); }

// Where a file ends up, spelled so that two spellings of one path compare equal.
std::string PlaceOf(const std::string& name)
{
    std::error_code ec;
    fs::path absolute = fs::absolute(name, ec);
    return (ec ? fs::path(name) : absolute).lexically_normal().string();
}

} // namespace

const char* BatchExtension(int format) { return kExtensions[std::clamp(format, 0, kBatchFormatCount - 1)]; }

int BatchFormatByName(const std::string& name)
{
    std::string lower;
    for (char c : name) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (int i = 0; i < kBatchFormatCount; ++i)
        if (lower == kExtensions[i] + 1) return i;
    return -1;
}

void BatchResultSize(int width, int height, const TBatchSettings& settings, int& resultWidth, int& resultHeight)
{
    const double r = static_cast<double>(width) / height;
    if (settings.Keep == 1) {
        resultHeight = settings.Height;
        resultWidth = RoundedSide(settings.Height * r);
    } else {
        resultWidth = settings.Width;
        resultHeight = RoundedSide(settings.Width / r);
    }
}

std::string BatchOutputName(const std::string& dir, const std::string& fileName, int format)
{
    std::string name = fileName.substr(fileName.find_last_of('/') + 1);
    name.resize(name.size() - FileExtension(name).size());
    return dir + "/" + name + BatchExtension(format);
}

TBatchFileResult ConvertBatchFile(const std::string& fileName, const TBatchSettings& settings, TBitmap& source,
                                  TBitmap& result)
{
    TBatchFileResult outcome;
    try {
        RequireLoadableImageFile(fileName);
        // A file that reads nothing must not pass on the previous file's picture.
        source = TBitmap();
        TImageFileSettings fileSettings = settings.File;
        switch (LoadImageFile(fileName, source, fileSettings)) {
        case TLoadResult::lrCancelled:
            outcome.Outcome = TBatchFileResult::boSkipped;
            outcome.Message = "No password was given.";
            return outcome;
        case TLoadResult::lrInvalidPassword: outcome.Message = "invalid password"; return outcome;
        case TLoadResult::lrLoaded:
        case TLoadResult::lrNoReader: break;
        }
        if (source.Width() == 0 || source.Height() == 0) {
            outcome.Outcome = TBatchFileResult::boEmpty;
            outcome.Message = "r=0 for " + fileName;
            return outcome;
        }
        int width = 0, height = 0;
        BatchResultSize(source.Width(), source.Height(), settings, width, height);
        result = TBitmap(width, height, pf24bit);
        TvekPaintFX().Stretch(source, result, 3.0f, Lanczos3Filter);
        const std::string outputName = BatchOutputName(settings.Dir, fileName, settings.Format);
        SaveImageFile(outputName, result, fileSettings);
        outcome.Outcome = TBatchFileResult::boWritten;
        outcome.OutputName = outputName;
    } catch (const std::exception& e) {
        outcome.Message = e.what();
    } catch (...) {
        outcome.Message = "Unknown error";
    }
    return outcome;
}

void RunBatch(const std::vector<std::string>& files, const TBatchSettings& settings, int jobs,
              const std::function<bool(std::size_t index, const TBatchFileResult& result)>& report)
{
    // Files with one output name form one group, converted in list order by one worker.
    std::vector<std::vector<std::size_t>> groups;
    {
        std::unordered_map<std::string, std::size_t> groupOf;
        std::unordered_set<std::string> inputs;
        bool outputIsInput = false;
        for (const auto& file : files) inputs.insert(PlaceOf(file));
        for (std::size_t i = 0; i < files.size(); ++i) {
            const std::string output = PlaceOf(BatchOutputName(settings.Dir, files[i], settings.Format));
            // A file written over a later input changes what that input reads: only the list order
            // then gives the same files.
            outputIsInput = outputIsInput || inputs.count(output);
            auto [it, fresh] = groupOf.emplace(output, groups.size());
            if (fresh) groups.emplace_back();
            groups[it->second].push_back(i);
        }
        if (outputIsInput) jobs = 1;
    }
    jobs = std::max(1, std::min<int>(jobs, static_cast<int>(groups.size())));

    if (jobs == 1) {
        TBitmap source, result;
        for (std::size_t i = 0; i < files.size(); ++i)
            if (!report(i, ConvertBatchFile(files[i], settings, source, result))) return;
        return;
    }

    std::vector<std::optional<TBatchFileResult>> results(files.size());
    std::mutex lock;
    std::condition_variable done;
    std::atomic<std::size_t> nextGroup{0};
    std::atomic<bool> stop{false};
    auto worker = [&] {
        TBitmap source, result;
        for (std::size_t g; !stop && (g = nextGroup++) < groups.size();) {
            for (std::size_t i : groups[g]) {
                if (stop) return;
                TBatchFileResult outcome = ConvertBatchFile(files[i], settings, source, result);
                std::lock_guard guard(lock);
                results[i] = std::move(outcome);
                done.notify_one();
            }
        }
    };
    std::vector<std::thread> workers;
    for (int k = 0; k < jobs; ++k) workers.emplace_back(worker);
    for (std::size_t i = 0; i < files.size() && !stop; ++i) {
        std::unique_lock guard(lock);
        // A stopped run leaves later files unconverted, and their slots empty.
        done.wait(guard, [&] { return results[i].has_value(); });
        TBatchFileResult outcome = std::move(*results[i]);
        results[i].reset();
        guard.unlock();
        if (!report(i, outcome)) stop = true;
    }
    for (auto& t : workers) t.join();
}
