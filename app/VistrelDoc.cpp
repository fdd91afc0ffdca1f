#include "app/VistrelDoc.h"

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

void TVistrelDoc::LoadFile(const std::string& fileName)
{
    LoadImageFile(fileName, Picture, FileSettings);
    view_.PictureChanged();
}

void TVistrelDoc::PrepareEffect()
{
    view_.EnableUndo();
    UndoBitmap.Assign(Picture);
    WorkBitmap.Assign(Picture);
    WorkBitmap.SetPixelFormat(pf24bit);
}

void TVistrelDoc::Open()
{
    std::string fileName;
    if (!Ui().OpenFileDialog(kOpenFilter, fileName)) return;
    LoadFile(fileName);
}

void TVistrelDoc::SaveAs()
{
    std::string fileName;
    if (!Ui().SaveFileDialog(kSaveFilter, fileName)) return;
    std::error_code ec;
    if (std::filesystem::exists(fileName, ec) &&
        !Ui().AskYesNo("This file allready exists. Do yo want to overwrite it?"))
        return;
    if (SaveImageFile(fileName, Picture, FileSettings)) view_.RefreshFiles();
}

bool TVistrelDoc::ToggleTransparentGif()
{
    FileSettings.TransparentGif = !FileSettings.TransparentGif;
    return FileSettings.TransparentGif;
}

void TVistrelDoc::ShowImageInfo() const { Ui().ShowMessage(ImageInfoText(Picture)); }

void TVistrelDoc::HelpContents()
{
    const std::string manual = ProgramFolder() + "Vistrel.html";
    std::error_code ec;
    if (!std::filesystem::is_regular_file(manual, ec)) throw EvekFileError("Cannot find the help file " + manual);
    view_.ShellOpen(manual);
}

void TVistrelDoc::About() const
{
    Ui().ShowMessage("Veks Vistrel 9\n\nImage viewer, converter and editor with the vekScript language.\n"
                     "Version 9");
}

void TVistrelDoc::OnTheWeb() { view_.ShellOpen(kWebAddress); }
