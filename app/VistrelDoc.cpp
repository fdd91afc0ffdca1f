#include "app/VistrelDoc.h"

#include "app/BatchConversion.h"
#include "platform/Errors.h"
#include "platform/ProgramFolder.h"
#include "platform/UiServices.h"

#include <filesystem>

const char* const kOpenFilter =
    "Graphic Files|*.bmp;*.ico;*.gif;*.jpg;*.png;*.wmf;*.emf;*.tga;*.tif;*.xjpg;*.xgif|GIF Images|*.gif|"
    "JPG Images|*.jpg|PNG Images|*.png|TIF Images|*.tif|Encrypted JPG Images|*.xjpg|"
    "Encrypted GIF Images|*.xgif|Encrypted PNG Images|*.xpng";
const char* const kSaveFilter =
    "GIF, JPG, BMP, PNG and TIF files|*.gif;*.jpg;*.bmp;*.png;*.tif;*.xjpg;*.xgif|GIF files|*.gif|"
    "JPG files|*.jpg|PNG files|*.png|ICO Files|*.ico|Encrypted JPG Images|*.xjpg|"
    "Encrypted GIF Images|*.xgif|Encrypted PNG Images|*.xpng";
const char* const kWebAddress = "https://vistrel.org/";

namespace {
#ifdef VISTREL_DATA_DIR
const char* const kInstalledDataFolder = VISTREL_DATA_DIR "/";
#else
const char* const kInstalledDataFolder = "/usr/local/share/vistrel/";
#endif
} // namespace

std::string ImageInfoText(const TBitmap& picture)
{
    const char* depth = "unrecognized pixel depth";
    switch (picture.PixelFormat()) {
    case pf1bit: depth = "1 bit/pixel"; break;
    case pf4bit: depth = "4 bits/pixel"; break;
    case pf8bit: depth = "8 bits/pixel"; break;
    case pf16bit: depth = "16 bits/pixel"; break;
    case pf24bit: depth = "24 bits/pixel"; break;
    case pf32bit: depth = "32 bits/pixel"; break;
    case pf15bit: break;
    }
    return "image width=" + std::to_string(picture.Width()) + " height=" + std::to_string(picture.Height()) + "\n" +
           depth;
}

namespace {
[[noreturn]] void RefuseUnknown(const std::string& fileName)
{
    throw EvekImageError("Unknown image file type: \"" + fileName + "\".");
}
} // namespace

void RequireLoadableImageFile(const std::string& fileName)
{
    if (!CanLoadImageFile(fileName)) RefuseUnknown(fileName);
}

void RequireSavableImageFile(const std::string& fileName)
{
    if (!CanSaveImageFile(fileName)) RefuseUnknown(fileName);
}

bool TVistrelDoc::LoadFile(const std::string& fileName)
{
    RequireLoadableImageFile(fileName);
    if (!LoadInto(fileName, Picture)) return false;
    FileName = fileName;
    return true;
}

bool TVistrelDoc::LoadInto(const std::string& fileName, TBitmap& target)
{
    switch (LoadImageFile(fileName, target, FileSettings)) {
    case TLoadResult::lrLoaded: return true;
    case TLoadResult::lrInvalidPassword: Ui().ShowMessage("invalid password"); return false;
    case TLoadResult::lrCancelled:
    case TLoadResult::lrNoReader: return false;
    }
    return false;
}

void TVistrelDoc::PrepareEffect()
{
    view_.EnableUndo();
    UndoBitmap.Assign(Picture);
    WorkBitmap.Assign(Picture);
    WorkBitmap.SetPixelFormat(pf24bit);
}

bool TVistrelDoc::AskOpenFileName(const std::string& filter, std::string& fileName) const
{
    fileName = view_.BrowserFolder();
    return Ui().OpenFileDialog(filter, fileName);
}

void TVistrelDoc::Open()
{
    std::string fileName;
    if (!AskOpenFileName(kOpenFilter, fileName)) return;
    LoadFile(fileName);
}

void TVistrelDoc::SaveAs()
{
    std::string fileName = view_.BrowserFolder();
    if (!FileName.empty()) fileName = (std::filesystem::path(fileName) / std::filesystem::path(FileName).filename()).string();
    if (!Ui().SaveFileDialog(kSaveFilter, fileName)) return;
    RequireSavableImageFile(fileName);
    std::error_code ec;
    if (std::filesystem::exists(fileName, ec) &&
        !Ui().AskYesNo("This file allready exists. Do yo want to overwrite it?"))
        return;
    if (!SaveImageFile(fileName, Picture, FileSettings)) return;
    FileName = fileName;
    view_.RefreshFiles();
}

bool TVistrelDoc::ToggleTransparentGif()
{
    FileSettings.TransparentGif = !FileSettings.TransparentGif;
    return FileSettings.TransparentGif;
}

bool TVistrelDoc::ChooseBatchDir()
{
    std::error_code ec;
    std::string folder = !batchDir.empty() && std::filesystem::is_directory(batchDir, ec) ? batchDir : ProgramFolder();
    if (!Ui().SelectFolder("Batch output folder", folder)) return false;
    batchDir = folder;
    return true;
}

void TVistrelDoc::BatchNow(const std::vector<std::string>& selected)
{
    if (selected.empty()) {
        Ui().ShowMessage("no files selected");
        return;
    }
    BatchFiles = selected;
    // Without an existing output folder every name would point elsewhere (an empty one at the root).
    std::error_code ec;
    if ((batchDir.empty() || !std::filesystem::is_directory(batchDir, ec)) && !ChooseBatchDir()) return;

    TBatchSettings settings;
    settings.Width = BatchWidth;
    settings.Height = BatchHeight;
    settings.Format = BatchFormat;
    settings.Keep = BatchKeep;
    settings.Dir = batchDir;
    settings.File = FileSettings;
    const std::size_t count = BatchFiles.size();
    bool stopped = !view_.BatchProgress(0, count);
    if (!stopped) {
        RunBatch(BatchFiles, settings, 1, [&](std::size_t index, const TBatchFileResult& result) {
            switch (result.Outcome) {
            case TBatchFileResult::boWritten: view_.ShowStatus(result.OutputName); break;
            case TBatchFileResult::boEmpty: Ui().ShowMessage(result.Message); break;
            case TBatchFileResult::boFailed: Ui().ShowError(BatchFiles[index] + ": " + result.Message); break;
            case TBatchFileResult::boSkipped: break;
            }
            stopped = !view_.BatchProgress(index + 1, count);
            return !stopped;
        });
    }
    if (stopped) view_.BatchProgress(count, count);
    view_.ShowStatus(stopped ? "Batch cancelled" : "Batch completed");
    view_.RefreshFiles();
}

void TVistrelDoc::ShowImageInfo() const { Ui().ShowMessage(ImageInfoText(Picture)); }

void TVistrelDoc::HelpContents()
{
    // A program folder given with --home holds the settings only; the manual came with the program.
    const std::string folders[] = {ProgramFolder(), ExecutableFolder(), kInstalledDataFolder};
    for (const std::string& folder : folders) {
        const std::string manual = folder + "Vistrel.html";
        std::error_code ec;
        if (std::filesystem::is_regular_file(manual, ec)) return view_.ShellOpen(manual);
    }
    throw EvekFileError("Cannot find the help file " + ProgramFolder() + "Vistrel.html");
}

void TVistrelDoc::About() const
{
    Ui().ShowMessage("Veks Vistrel 9\n\nImage viewer, converter and editor with the vekScript language.\n"
                     "Version 9");
}

void TVistrelDoc::OnTheWeb() { view_.ShellOpen(kWebAddress); }
