#pragma once
#include "crypto/CipherManager.h"
#include "imaging/ImageIO.h"
#include "platform/TBitmap.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

// What the commands ask of the window they run in.
class TVistrelView {
public:
    virtual ~TVistrelView() = default;
    // The working image may have changed: the picture control shows it and takes its size again.
    // The window's command frame calls it after every command.
    virtual void PictureChanged() = 0;
    // Re-reads the file list, so that a file just written shows.
    virtual void RefreshFiles() = 0;
    // Opens a file or address with the desktop's "open" action.
    virtual void ShellOpen(const std::string& target) = 0;
    // An undo copy exists from now on.
    virtual void EnableUndo() = 0;
    // Panel 0 of the status bar.
    virtual void ShowStatus(const std::string& text) {}
    // Batch Now: done of count files are through (0 at the start, count at the end); false when the
    // user asked to stop.
    virtual bool BatchProgress(std::size_t done, std::size_t count) { return true; }
    // The folder the file browser shows, where the file dialogs start; empty for none.
    virtual std::string BrowserFolder() const { return {}; }
    // Shows or hides the rubber band of the doc's SelectionRect over the picture.
    virtual void ShowSelection(bool visible) {}
};

struct TSelectionRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    // Left <= Right and Top <= Bottom, whichever way the mouse was dragged.
    TSelectionRect Normalized() const;
};

class TVistrelDoc;

// One of the effect settings: what the Effect Settings entry asks and accepts.
struct TEffectSetting {
    const char* Name; // the setting's name, also used in the menu's effect texts
    int TVistrelDoc::*Value;
    int Min, Max;
    const char* Prompt;
    int NotANumber; // what a text that is not a whole number counts as
};

// The working image, its companions and the settings of one run, and the commands that act on them.
// The window wires its menus to these; tests call them directly with scripted answers.
class TVistrelDoc {
public:
    explicit TVistrelDoc(TVistrelView& view) : view_(view) { FileSettings.Cipher = &Cipher; }

    TBitmap Picture; // the working image, shown by the picture control
    TBitmap UndoBitmap;
    TBitmap WorkBitmap;
    TImageFileSettings FileSettings;
    // The file the working image was last read from or written to: Save As offers its name.
    std::string FileName;
    TCipherManager Cipher; // one for the whole run, behind every encrypted file
    std::string batchDir;
    std::vector<std::string> BatchFiles;
    // The colour dialog's custom colours, as the lines of "VistrelCC.txt".
    std::vector<std::string> CustomColors;

    // Effect settings; none of them survives the run.
    int SeamlessDepth = 10;
    int ButtonizeDepth = 10;
    int ButtonizeWeight = 120;
    int MosaicSize = 3;
    int GaussianDepth = 0;
    int TwistDepth = 40;
    int FisheyeDepth = 40;
    int PosterizeDepth = 100;
    int SolarizeDepth = 50;
    // Batch settings: BatchFormat 2 is JPG, BatchKeep 0 keeps the width.
    int BatchWidth = 100;
    int BatchHeight = 100;
    int BatchFormat = 2;
    int BatchKeep = 0;
    TSelectionRect SelectionRect;

    // Reads a file into the working image by its extension; a failing reader leaves it as it was, and
    // an unknown extension is an error. False when nothing was read (a cancelled or wrong password).
    bool LoadFile(const std::string& fileName);
    // LoadImageFile for the window's commands: true when target took a new picture. A wrong password
    // tells the user "invalid password"; it and a cancelled one leave target as it was.
    bool LoadInto(const std::string& fileName, TBitmap& target);

    // Before a change: the undo copy and a 24-bit work copy of the working image.
    void PrepareEffect();
    // After a change: the working image takes the work copy.
    void ShowEffect();

    // Runs an Effects menu entry's effect text: steps separated by ";", each an effect of the effect
    // table and its values. A value is a number ($ for hex), an effect setting by name (NAME/255 for
    // that fraction of it), "?" for a colour chosen in the colour dialog (Cancel runs nothing), or
    // a word.
    void RunEffect(const std::string& effectText);
    // Asks for one effect setting by name; out-of-range and cancelled answers change nothing.
    void AskEffectSetting(const std::string& name);
    // The setting of that name, or nullptr.
    int* EffectSetting(const std::string& name);

    // Edit commands.
    void Undo();
    void New();
    void ResizeImage();
    void ResizeWidth();
    void ResizeHeight();
    void Turn();
    void CropToSelection();
    // Converts the working image to 4, 8, 16 or 24 bits a pixel; false (nothing done) for other depths.
    bool ColorDepth(int bits);
    // The working image resampled to width x height when both are at least 11.
    void ResampleTo(int width, int height);
    // Resamples to n pixels wide (or high), the other side keeping the aspect ratio. False, changing
    // nothing, when there is no image or a side would be below 1 or above the bitmap limits.
    bool ResizeKeepAspect(int n, bool byWidth);

    // Mouse over the picture, in picture coordinates; ctrl is the Ctrl key's state.
    void PictureMouseDown(int x, int y, bool left, bool ctrl);
    void PictureMouseMove(int x, int y, bool left, bool ctrl);
    void PictureMouseUp(int x, int y, bool ctrl);

    // An open dialog that starts in the folder the browser shows; false when cancelled.
    bool AskOpenFileName(const std::string& filter, std::string& fileName) const;
    void Open();
    void SaveAs();
    // Flips Options, "Transparent GIF"; returns the new state.
    bool ToggleTransparentGif();
    // Flips Png, "Text Chunk", the switch for the text of PNG saves; returns the new state.
    bool ToggleTextChunk();
    // File, "&Twain Scan...": the scanner chooser and one scan, which becomes the working image
    // without an undo copy. A cancelled choice or scan changes nothing.
    void TwainScan();
    void ShowImageInfo() const;
    // The "Directory..." button of the batch settings: batchDir takes the chosen folder; false when
    // the dialog was cancelled.
    bool ChooseBatchDir();
    // Batch Now over the full names of the file list's selected entries, in list order.
    void BatchNow(const std::vector<std::string>& selected);
    void HelpContents();
    void About() const;
    void OnTheWeb();

    // A new overlay picture from a file, transparent in the colour of its bottom-left pixel whatever
    // the file itself marked transparent. False, and overlay as it was, when the load came to nothing
    // (a cancelled or wrong password); load errors raise and leave it as it was too.
    bool LoadOverlay(const std::string& fileName, TBitmap& overlay);
    // Draws the overlay, without its transparent colour, onto the working image with its top-left
    // at (left, top) in the image; no undo copy.
    void PaintOverlay(const TBitmap& overlay, int left, int top);
    // Like PaintOverlay after an undo copy, first widening the image to the overlay's right and
    // bottom edge where the overlay hangs over them.
    void GlueOverlay(const TBitmap& overlay, int left, int top);
    // Write the working image and a small page into the program folder and open the page.
    void PreviewTiled();
    void PreviewTransparent();

private:
    TVistrelView& view_;
};

// "image width=W height=H", a line break and the pixel depth.
std::string ImageInfoText(const TBitmap& picture);

// Raise "Unknown image file type" for a name whose extension has no reader (writer): the window
// and the subcommands tell the user instead of loading or writing nothing in silence.
void RequireLoadableImageFile(const std::string& fileName);
void RequireSavableImageFile(const std::string& fileName);
// The effect settings in menu order.
std::span<const TEffectSetting> EffectSettings();

// A whole decimal number, blanks around it allowed; nullopt for any other text.
std::optional<int> WholeNumber(const std::string& text);
// WholeNumber or the conversion error "'TEXT' is not a valid integer value".
int StrictInt(const std::string& text);

extern const char* const kOpenFilter;
extern const char* const kSaveFilter;
extern const char* const kWebAddress;
