#pragma once
#include "imaging/GifImage.h"
#include "platform/TBitmap.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <string>

class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class TPictureView;

// The GIF optimizer: the picture on the left, its GIF rendering on the right. The Palette and
// Dithering menus only tick their items; Convert reads them into the process-wide reduction
// settings, so that every later GIF the program writes from a true-colour picture uses them.
class TPainterReduceF : public QMainWindow {
    Q_OBJECT
public:
    explicit TPainterReduceF(QWidget* parent = nullptr);

    // The left picture.
    void SetBitmap(const TBitmap& bitmap);
    const TBitmap& Bitmap() const { return bitmap_; }
    // The right picture: the last Convert's GIF image.
    const TBitmap& GifBitmap() const { return gifBitmap_; }

    // The menu item, button or check box of that name, as named in the window's layout.
    QAction* Action(const std::string& name) const;

    // Commands.
    void ConvertClick();
    void GIFSaveClick();
    void Halftone1Click();
    // Ticks a menu item as a click on it does.
    void ChooseMenuItem(const std::string& name);

    // The screen's bits per pixel; tests replace it.
    std::function<int()> ScreenBitsPerPixel;

    QPushButton* Convert = nullptr;
    QPushButton* GIFSave = nullptr;
    QCheckBox* Transparent = nullptr;
    QLabel* SizeLabel = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    TPictureView* Image1 = nullptr; // "Bitmap"
    TPictureView* Image2 = nullptr; // "GIF <= 256 colors"

private:
    void BuildMenus();
    // A failing command ends in the error box; the window goes on.
    void Run(const std::function<void()>& command);
    void ReadChoices();
    void Progress(TGifProgressStage stage, int percent);

    TBitmap bitmap_;
    TBitmap gifBitmap_;
    std::map<std::string, QAction*> actions_;
    QMenu* optimizedMenu_ = nullptr; // "&Optimized (256 colors)" opens the bits submenu
};
