#include "app/VistrelF.h"

#include "app/BatchF.h"
#include "app/OverlayView.h"
#include "app/PainterReduceF.h"
#include "app/PictureView.h"
#include "app/ScriptHost.h"
#include "app/ShapeMenu.h"
#include "app/ShapeView.h"
#include "shapes/TvekShape.h"
#include "shapes/TvekShapeController.h"
#include "platform/Errors.h"
#include "platform/IniFile32.h"
#include "platform/ProgramFolder.h"
#include "script/VekScript.h"
#include "widgets/FileBrowserLists.h"
#include "widgets/TvekDirectories.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QProgressDialog>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

std::string CustomColorsFile() { return ProgramFolder() + "VistrelCC.txt"; }

const char* const kSettings = "Settings";
const char* const kWindowSection = "VistrelF";
const char* const kHasCommand = "vistrelHasCommand";

// A saved placement from another monitor or another scale factor may lie off the screen or be larger
// than it: the window is fitted into the available area of the screen it was on (the primary screen
// when that one is gone).
void FitToScreen(int& left, int& top, int& width, int& height)
{
    const QPoint centre(static_cast<int>(std::clamp<long long>(left + width / 2LL, INT_MIN, INT_MAX)),
                        static_cast<int>(std::clamp<long long>(top + height / 2LL, INT_MIN, INT_MAX)));
    QScreen* screen = QGuiApplication::screenAt(centre);
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    width = std::clamp(width, 1, std::max(area.width(), 1));
    height = std::clamp(height, 1, std::max(area.height(), 1));
    left = std::clamp(left, area.left(), area.left() + area.width() - width);
    top = std::clamp(top, area.top(), area.top() + area.height() - height);
}

} // namespace

TVistrelF::TVistrelF(TUiServices* ui, QWidget* parent)
    : QMainWindow(parent), doc_(*this), qtUi_(this, doc_.CustomColors),
      uiScope_(ui ? *ui : static_cast<TUiServices&>(qtUi_))
{
    setObjectName("VistrelF");
    setWindowTitle("Veks Vistrel 9");
    setWindowIcon(QIcon(":/vistrel/vistrel.png"));
    move(171, 182);
    resize(696, 479);
    Launcher = [](const std::string& target) {
        QString t = QString::fromStdString(target);
        return QDesktopServices::openUrl(t.startsWith('/') ? QUrl::fromLocalFile(t) : QUrl(t));
    };
    BuildLayout();
    BuildMenus();
    BuildBrowseKeys();
    FormCreate();
    CreateToolWindows();
}

TVistrelF::~TVistrelF()
{
    FormDestroy();
    // The shape's view and menu go before the shape and controller they show.
    delete ShapeView;
    delete ShapeMenu;
}

std::string TVistrelF::SettingsFile() { return ProgramFolder() + "vistrel.ini"; }

void TVistrelF::BuildLayout()
{
    auto* directoryPanel = new QWidget;
    auto* column = new QVBoxLayout(directoryPanel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    vekDirectories1 = new TvekDirectories;
    vekDirectories1->setObjectName("vekDirectories1");
    vekDirectories1->setToolTip("Favorite directories: drag the folder list here to add one");
    RzDriveComboBox1 = new TDriveComboBox;
    RzDriveComboBox1->setObjectName("RzDriveComboBox1");
    RzDirectoryListBox1 = new TDirectoryListBox;
    RzDirectoryListBox1->setObjectName("RzDirectoryListBox1");
    column->addWidget(vekDirectories1);
    column->addWidget(RzDriveComboBox1);
    column->addWidget(RzDirectoryListBox1, 1);
    vekDirectories1->SetDirectoryListBox(RzDirectoryListBox1);

    files = new TFileListBox;
    files->setObjectName("files");
    files->SetMask(kFileMask);

    box = new TPictureBox;
    box->setObjectName("box");
    Image1 = new TPictureView(box->Surface());
    Image1->setObjectName("Image1");
    BuildOverlay();

    // The panels may be dragged down to one pixel, never collapsed away.
    Splitter1 = new QSplitter(Qt::Vertical);
    Splitter1->setObjectName("Splitter1");
    Splitter1->addWidget(directoryPanel);
    Splitter1->addWidget(files);
    Splitter1->setChildrenCollapsible(false);
    directoryPanel->setMinimumHeight(1);
    files->setMinimumHeight(1);
    Splitter1->setSizes({210, 220});

    Splitter2 = new QSplitter(Qt::Horizontal);
    Splitter2->setObjectName("Splitter2");
    Splitter2->addWidget(Splitter1);
    Splitter2->addWidget(box);
    Splitter2->setChildrenCollapsible(false);
    Splitter1->setMinimumWidth(1);
    box->setMinimumWidth(1);
    Splitter2->setStretchFactor(1, 1);
    Splitter2->setSizes({190, 506});
    setCentralWidget(Splitter2);

    ShapePanel = new QToolBar("Shape");
    ShapePanel->setObjectName("ShapePanel");
    ShapePanel->setMovable(false);
    ShapePanel->setFloatable(false);
    ShapePanel->toggleViewAction()->setVisible(false);
    addToolBar(Qt::TopToolBarArea, ShapePanel);
    ShapePanel->hide();
    BuildShape();

    StatusBar1 = statusBar();
    StatusBar1->setObjectName("StatusBar1");
    const int widths[2] = {300, 200};
    for (int i = 0; i < 2; ++i) {
        StatusPanel[i] = new QLabel;
        StatusPanel[i]->setFixedWidth(widths[i]);
        StatusPanel[i]->setFrameShape(QFrame::Panel);
        StatusPanel[i]->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(StatusPanel[i]);
    }

    connect(RzDriveComboBox1, &TDriveComboBox::DriveChosen, this,
            [this](const QString& root) { ShowFolder(root.toStdString()); });
    connect(RzDirectoryListBox1, &TDirectoryListBox::DirectoryChanged, this, [this](const QString& folder) {
        files->SetDirectory(folder.toStdString());
        RzDriveComboBox1->ShowDriveOf(folder.toStdString());
    });
    // Activation is a double-click, or Return on the selected entry.
    connect(files, &QListWidget::itemActivated, this, [this] { filesDblClick(); });
    auto showMouse = [this](int x, int y) { StatusPanel[1]->setText(QString::asprintf("x=%d, y=%d", x, y)); };
    connect(Image1, &TPictureView::MouseMoved, this, showMouse);
    connect(box, &TPictureBox::MouseMoved, this, showMouse);
    connect(Image1, &TPictureView::MousePressed, this,
            [this](int x, int y, bool left, bool ctrl) { doc_.PictureMouseDown(x, y, left, ctrl); });
    connect(Image1, &TPictureView::MouseMovedWith, this,
            [this](int x, int y, bool left, bool ctrl) { doc_.PictureMouseMove(x, y, left, ctrl); });
    connect(Image1, &TPictureView::MouseReleased, this,
            [this](int x, int y, bool ctrl) { RunCommand([=, this] { doc_.PictureMouseUp(x, y, ctrl); }); });
    // Ctrl-release on the empty part of the box enlarges the image to that point.
    connect(box, &TPictureBox::MouseReleased, this, [this](int x, int y, bool ctrl) {
        if (ctrl) RunCommand([=, this] { doc_.ResampleTo(x, y); });
    });
    connect(box, &TPictureBox::FileDropped, this, [this](const QString& file) { OpenFile(file.toStdString()); });
}

void TVistrelF::BuildMenus()
{
    const auto map = MainMenuMap();
    QMenu* menus[3] = {nullptr, nullptr, nullptr};
    std::set<QKeySequence> takenKeys;
    std::map<int, QActionGroup*> groups;
    for (std::size_t i = 0; i < map.size(); ++i) {
        const TMenuEntry& e = map[i];
        const QString caption = QString::fromUtf8(e.Caption);
        const bool isSubmenu = i + 1 < map.size() && map[i + 1].Level > e.Level;
        if (e.Level == 0) {
            menus[0] = menuBar()->addMenu(caption);
            menus[0]->setObjectName(e.Name);
            actions_[e.Name] = menus[0]->menuAction();
            continue;
        }
        QMenu* parentMenu = menus[e.Level - 1];
        QAction* action = nullptr;
        if (caption == "-") {
            action = parentMenu->addSeparator();
        } else if (isSubmenu) {
            menus[e.Level] = parentMenu->addMenu(caption);
            menus[e.Level]->setObjectName(e.Name);
            action = menus[e.Level]->menuAction();
        } else {
            action = parentMenu->addAction(caption);
            if (*e.Shortcut) {
                // Of two entries with one key, the first in menu order owns it; the other shows it.
                QKeySequence key(QString::fromUtf8(e.Shortcut));
                if (takenKeys.insert(key).second)
                    action->setShortcut(key);
                else
                    action->setText(caption + "\t" + key.toString(QKeySequence::NativeText));
            }
            action->setCheckable(e.Flags & (mfCheckable | mfChecked));
            action->setChecked(e.Flags & mfChecked);
            if (e.RadioGroup != 0) {
                auto& group = groups[e.RadioGroup];
                if (!group) group = new QActionGroup(this);
                action->setActionGroup(group);
            }
            action->setEnabled(StartsEnabled(e));
            action->setProperty(kHasCommand, HasCommand(e));
            if (e.Command) connect(action, &QAction::triggered, this, [this, command = e.Command] { RunCommand(command); });
            if (e.Effect)
                connect(action, &QAction::triggered, this,
                        [this, effect = e.Effect] { RunCommand([this, effect] { doc_.RunEffect(effect); }); });
            if (e.Setting)
                connect(action, &QAction::triggered, this,
                        [this, setting = e.Setting] { RunCommand([this, setting] { doc_.AskEffectSetting(setting); }); });
        }
        action->setObjectName(e.Name);
        actions_[e.Name] = action;
    }
}

QAction* TVistrelF::Action(const std::string& name) const
{
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void TVistrelF::RunCommand(const std::function<void()>& command)
{
    TWorkScope work;
    Guarded(command);
    // Whatever changed the working image, before an error too, shows: the command frame refreshes
    // the picture, so that no command can forget to.
    PictureChanged();
}

void TVistrelF::Guarded(const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        Ui().ShowError(e.what());
    } catch (...) {
        Ui().ShowError("Unknown error");
    }
}

void TVistrelF::RunCommand(TMenuCommand command)
{
    RunCommand([this, command] { (this->*command)(); });
}

// ---- start and end ---------------------------------------------------------------------------

void TVistrelF::FormCreate()
{
    const std::string folder = ProgramFolder();
    PrepareShapeMenu();
    doc_.Cipher.SetAlgorithm("Blowfish");
    doc_.BatchFiles.clear();
    std::error_code ec;
    if (fs::exists(CustomColorsFile(), ec)) doc_.CustomColors = LoadTextLines(CustomColorsFile());

    const std::string lastDir = TIniFile32(SettingsFile()).ReadString(kSettings, "lastDir", "");
    ShowFolder(!lastDir.empty() && fs::is_directory(lastDir, ec) ? lastDir : folder);
    doc_.batchDir = TIniFile32(SettingsFile()).ReadString(kSettings, "batchDir", "");

    startMaximized_ = TIniFile32(SettingsFile()).ReadBool(kWindowSection, "State", false);
    if (startMaximized_) {
        setWindowState(windowState() | Qt::WindowMaximized);
    } else {
        int left = TIniFile32(SettingsFile()).ReadInteger(kWindowSection, "Left", x());
        int top = TIniFile32(SettingsFile()).ReadInteger(kWindowSection, "Top", y());
        int width = TIniFile32(SettingsFile()).ReadInteger(kWindowSection, "Width", this->width());
        int height = TIniFile32(SettingsFile()).ReadInteger(kWindowSection, "Height", this->height());
        // The first start keeps its fixed placement; a saved one is fitted to the screen.
        if (left != x() || top != y() || width != this->width() || height != this->height())
            FitToScreen(left, top, width, height);
        move(left, top);
        resize(width, height);
    }
    ReadSplitters();
    vekDirectories1->Loaded();
}

void TVistrelF::FormDestroy()
{
    if (destroyed_) return;
    destroyed_ = true;
    doc_.UndoBitmap = TBitmap();
    doc_.WorkBitmap = TBitmap();
    doc_.BatchFiles.clear();
    Guarded([this] { SaveTextLines(CustomColorsFile(), doc_.CustomColors); });
    Guarded([this] { WriteSettings(); });
    Guarded([this] { WriteSplitters(); });
}

void TVistrelF::WriteSettings()
{
    TIniFile32(SettingsFile()).WriteString(kSettings, "lastDir", files->Directory());
    TIniFile32(SettingsFile()).WriteString(kSettings, "batchDir", doc_.batchDir);
    const bool maximized = isMaximized();
    TIniFile32(SettingsFile()).WriteString(kWindowSection, "State", maximized ? "1" : "0");
    if (maximized) return;
    TIniFile32(SettingsFile()).WriteInteger(kWindowSection, "Left", x());
    TIniFile32(SettingsFile()).WriteInteger(kWindowSection, "Top", y());
    TIniFile32(SettingsFile()).WriteInteger(kWindowSection, "Width", width());
    TIniFile32(SettingsFile()).WriteInteger(kWindowSection, "Height", height());
}

void TVistrelF::closeEvent(QCloseEvent* event)
{
    FormDestroy();
    QMainWindow::closeEvent(event);
}

// ---- commands --------------------------------------------------------------------------------

void TVistrelF::RunScript1Click()
{
    std::string fileName;
    if (!doc_.AskOpenFileName("vekScript Files (*.vek)|*.vek", fileName)) return;
    TWorkScope work("Running " + fs::path(fileName).filename().string());
    if (!vekScript1) {
        vekScript1 = std::make_unique<TvekScript>();
        vekScript1->ScriptTimeOut = 30;
        scriptHost_ = std::make_unique<TScriptHost>(*vekScript1, doc_);
    }
    scriptHost_->RunFile(fileName);
}

void TVistrelF::New1Click() { doc_.New(); }
void TVistrelF::Open1Click() { doc_.Open(); }
void TVistrelF::SaveAs1Click() { doc_.SaveAs(); }

void TVistrelF::Undolast1Click() { doc_.Undo(); }
void TVistrelF::ResizeImage1Click() { doc_.ResizeImage(); }
void TVistrelF::ResizeWidth1Click() { doc_.ResizeWidth(); }
void TVistrelF::ResizeHeight1Click() { doc_.ResizeHeight(); }
void TVistrelF::CroptoSelection1Click() { doc_.CropToSelection(); }
void TVistrelF::Turn1Click() { doc_.Turn(); }
void TVistrelF::N4bitspixel1Click() { doc_.ColorDepth(4); }
void TVistrelF::N8bitspixel1Click() { doc_.ColorDepth(8); }
void TVistrelF::N16bitspixel1Click() { doc_.ColorDepth(16); }
void TVistrelF::N24bitspixel1Click() { doc_.ColorDepth(24); }

void TVistrelF::TransparentGIF1Click()
{
    const bool on = doc_.ToggleTransparentGif();
    if (QAction* action = Action("TransparentGIF1")) action->setChecked(on);
}

void TVistrelF::ShowImageInfo1Click() { doc_.ShowImageInfo(); }
void TVistrelF::RefreshFiles1Click() { RefreshFiles(); }
void TVistrelF::Contents1Click() { doc_.HelpContents(); }
void TVistrelF::About1Click() { doc_.About(); }
void TVistrelF::ontheWeb1Click() { doc_.OnTheWeb(); }

void TVistrelF::GIFoptimize1Click()
{
    // The optimizer works on true colour; the change stays in the working image, without an undo copy.
    doc_.Picture.SetPixelFormat(pf24bit);
    PictureChanged();
    PainterReduceF->SetBitmap(doc_.Picture);
    PainterReduceF->show();
    PainterReduceF->raise();
    PainterReduceF->activateWindow();
}

void TVistrelF::filesDblClick()
{
    RunCommand([this] {
        const std::string name = files->SelectedName();
        if (!name.empty()) doc_.LoadFile(files->FullName(name));
    });
}

void TVistrelF::BatchSettings1Click() { BatchF->Execute(); }

void TVistrelF::BatchNow1Click()
{
    std::vector<std::string> selected;
    for (const auto& name : files->SelectedNames()) selected.push_back(files->FullName(name));
    doc_.BatchNow(selected);
}

void TVistrelF::OpenFile(const std::string& fileName)
{
    // The browser follows the file, as it does when a file is opened from the list.
    const std::string folder = fs::path(fileName).parent_path().string();
    if (!folder.empty()) ShowFolder(folder);
    RunCommand([this, &fileName] { doc_.LoadFile(fileName); });
}

// ---- view ------------------------------------------------------------------------------------

void TVistrelF::PictureChanged()
{
    Image1->SetPicture(doc_.Picture);
    box->FitSurface();
    // The shape shows the picture beneath it.
    if (ShapeView) ShapeView->update();
}

void TVistrelF::RefreshFiles() { files->Update(); }

std::string TVistrelF::BrowserFolder() const { return files->Directory(); }

void TVistrelF::ShellOpen(const std::string& target)
{
    if (!Launcher || !Launcher(target)) throw EvekError("Cannot open " + target);
}

void TVistrelF::EnableUndo()
{
    QAction* undo = Action("Undolast1");
    if (undo && undo->property(kHasCommand).toBool()) undo->setEnabled(true);
}

void TVistrelF::ShowStatus(const std::string& text) { StatusPanel[0]->setText(QString::fromStdString(text)); }

bool TVistrelF::BatchProgress(std::size_t done, std::size_t count)
{
    if (done == 0) {
        batchProgress_ = std::make_unique<QProgressDialog>("Converting files", "Cancel", 0, static_cast<int>(count), this);
        batchProgress_->setObjectName("BatchProgress");
        batchProgress_->setWindowModality(Qt::WindowModal);
        batchProgress_->setMinimumDuration(0);
        batchProgress_->setAutoReset(false);
    }
    if (!batchProgress_) return true;
    batchProgress_->setLabelText(QString("%1 of %2 files").arg(done).arg(count));
    batchProgress_->setValue(static_cast<int>(done));
    // The window repaints, and Cancel is heard, between two files.
    QCoreApplication::processEvents();
    const bool cancelled = batchProgress_->wasCanceled();
    if (done >= count || cancelled) batchProgress_.reset();
    return !cancelled;
}

void TVistrelF::ShowSelection(bool visible)
{
    const TSelectionRect r = doc_.SelectionRect.Normalized();
    Image1->SetBand(QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1)), visible);
}

void TVistrelF::ShowFolder(const std::string& folder)
{
    Guarded([this, &folder] { RzDirectoryListBox1->SetDirectory(folder); });
}
