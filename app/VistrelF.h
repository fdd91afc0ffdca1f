#pragma once
#include "app/MenuMap.h"
#include "app/QtUiServices.h"
#include "app/VistrelDoc.h"
#include "platform/UiServices.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QProgressDialog;
class QSplitter;
class QStatusBar;
class QToolBar;
class TBatchF;
class TDirectoryListBox;
class TDriveComboBox;
class TFileListBox;
class TPainterReduceF;
class TJpegPreviewF;
class TPictureBox;
class TOverlayView;
class TPictureView;
class TShapeMenu;
class TShapeView;
class TvekShape;
class TvekShapeController;
class TSpyF;
class TTextForm;
class TvekDirectories;
class TScriptHost;
class TvekScript;

// The main window: the file browser on the left, the picture area on the right, the status bar below
// and the main menu. It reads its settings when it is created and writes them when it closes.
class TVistrelF : public QMainWindow, public TVistrelView {
    Q_OBJECT
public:
    static constexpr const char* kFileMask = "*.bmp;*.gif;*.jpg;*.png;*.tif;*.ico;*.xjpg;*.xgif;*.xpng";

    // ui answers the window's dialogs; nullptr gives the window its own Qt dialogs.
    explicit TVistrelF(TUiServices* ui = nullptr, QWidget* parent = nullptr);
    ~TVistrelF() override;

    TVistrelDoc& Doc() { return doc_; }
    // "State" of the settings asked for a maximized window.
    bool StartMaximized() const { return startMaximized_; }
    // "vistrel.ini" in the program folder.
    static std::string SettingsFile();
    // Writes the settings; the first call does the work, later ones nothing.
    void FormDestroy();

    // The main menu entry of that name (see the menu map), or nullptr.
    QAction* Action(const std::string& name) const;
    // The command frame: runs a command, shows its error in the error box (the window goes on) and
    // then shows the working image as the command left it.
    void RunCommand(const std::function<void()>& command);
    void RunCommand(TMenuCommand command);

    // Menu commands.
    void New1Click();
    void RunScript1Click();
    void Open1Click();
    void SaveAs1Click();
    void Undolast1Click();
    void ResizeImage1Click();
    void ResizeWidth1Click();
    void ResizeHeight1Click();
    void CroptoSelection1Click();
    void Turn1Click();
    void TransparentGIF1Click();
    void ShowImageInfo1Click();
    void N4bitspixel1Click();
    void N8bitspixel1Click();
    void N16bitspixel1Click();
    void N24bitspixel1Click();
    void RefreshFiles1Click();
    void Contents1Click();
    void About1Click();
    void ontheWeb1Click();
    void Quit1Click();
    // The next and previous image of the file list: Page Down and Page Up, and Space and Backspace
    // while the picture has the focus.
    void NextImage();
    void PreviousImage();
    // Overlay and preview commands.
    void Overlay1Click();
    void Overlay2Click();
    void ViewOverlay1Click();
    void PaintOverlay1Click();
    void Glue1Click();
    void previewtiled1Click();
    void previewtransparent1Click();
    // Loads a file as the overlay and shows it.
    void LoadOverlay(const std::string& fileName);
    // Shape commands.
    void ViewShape1Click();
    void PaintShape1Click();
    // The shape toolbar's button with that hint, or nullptr.
    QAction* ShapeButton(const std::string& hint) const;
    void GIFoptimize1Click();
    void BatchSettings1Click();
    void BatchNow1Click();
    // Tool commands.
    void Capture1Click();
    void TwainScan1Click();
    void TextChunk1Click();
    void PNGText1Click();
    void JPGoptimize1Click();
    // The file list's double-click: the selected file becomes the working image.
    void filesDblClick();
    // A file named on the command line or dropped on the picture area; the browser shows its folder.
    void OpenFile(const std::string& fileName);

    // TVistrelView
    void PictureChanged() override;
    void RefreshFiles() override;
    void ShellOpen(const std::string& target) override;
    void EnableUndo() override;
    void ShowStatus(const std::string& text) override;
    bool BatchProgress(std::size_t done, std::size_t count) override;
    std::string BrowserFolder() const override;
    void ShowSelection(bool visible) override;
    // Makes the browser show a folder; a folder that is gone leaves it as it was.
    void ShowFolder(const std::string& folder);

    // The "open" action of the desktop; tests replace it.
    std::function<bool(const std::string&)> Launcher;

    // The window's parts, named as in its layout.
    TvekDirectories* vekDirectories1 = nullptr;
    TDriveComboBox* RzDriveComboBox1 = nullptr;
    TDirectoryListBox* RzDirectoryListBox1 = nullptr;
    TFileListBox* files = nullptr;
    QSplitter* Splitter1 = nullptr; // between the directory panel and the file list
    QSplitter* Splitter2 = nullptr; // between the browser and the picture area
    TPictureBox* box = nullptr;
    TPictureView* Image1 = nullptr;
    TOverlayView* Image2 = nullptr;
    QToolBar* ShapePanel = nullptr;
    // The shape on the picture area, its controller and their Qt faces.
    std::unique_ptr<TvekShape> vekShape1;
    std::unique_ptr<TvekShapeController> vekShapeController1;
    TShapeView* ShapeView = nullptr;
    TShapeMenu* ShapeMenu = nullptr;
    QStatusBar* StatusBar1 = nullptr;
    QLabel* StatusPanel[2] = {nullptr, nullptr};

    // The tool windows, created hidden with the main window and kept for the whole run.
    TJpegPreviewF* JpegPreviewF = nullptr;
    std::unique_ptr<TPainterReduceF> PainterReduceF;
    TBatchF* BatchF = nullptr;
    TSpyF* SpyF = nullptr;
    TTextForm* TextForm = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Runs an action of the window itself; its error goes to the error box.
    void Guarded(const std::function<void()>& action);
    void BuildLayout();
    void BuildBrowseKeys();
    void StepImage(int step);
    int CurrentImageRow() const;
    void ReadSplitters();
    void WriteSplitters();
    void BuildMenus();
    void BuildOverlay();
    void BuildShape();
    void PrepareShapeMenu();
    void FormCreate();
    void CreateToolWindows();
    void WriteSettings();

    TVistrelDoc doc_;
    TQtUiServices qtUi_;
    TUiScope uiScope_;
    std::unique_ptr<TvekScript> vekScript1;
    std::unique_ptr<TScriptHost> scriptHost_;
    std::vector<QAction*> shapeButtons_;
    std::map<std::string, QAction*> actions_;
    std::unique_ptr<QProgressDialog> batchProgress_;
    bool startMaximized_ = false;
    bool destroyed_ = false;
};
