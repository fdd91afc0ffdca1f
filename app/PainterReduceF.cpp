#include "app/PainterReduceF.h"

#include "app/PictureView.h"
#include "imaging/GifImage.h"
#include "imaging/ImageIO.h"
#include "platform/UiServices.h"

#include <QActionGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <cstdint>

namespace {

enum TReduceGroup { rgPalette = 1, rgBits, rgDither };

// One item of the window's menus; Value is the palette choice, the reduction bits or the dither
// choice its group stands for. A Level 1 item followed by Level 2 items opens a submenu.
struct TReduceMenuItem {
    int Level; // 0: a menu of the menu bar
    const char* Name;
    const char* Caption;
    int Group;
    int Value;
    bool Checked;
};

const TReduceMenuItem kReduceMenu[] = {
    {0, "Palette1", "&Palette", 0, 0, false},
    {1, "None1", "&None", rgPalette, pcNone, false},
    {1, "Windowssystem1", "&Windows system (20 colors)", rgPalette, pcWindows20, false},
    {1, "Windowshalftone1", "W&indows halftone (256 colors)", rgPalette, pcHalftone256, false},
    {1, "Windowsgrayscale1", "W&in&dows grayscale (4 colors)", rgPalette, pcWindowsGray4, false},
    {1, "Monochrome1", "&Monochrome (black/white)", rgPalette, pcMonochrome, false},
    {1, "Grayscale1", "&Grayscale (256 shades)", rgPalette, pcGray256, false},
    {1, "Netscape1", "N&etscape (216 colors)", rgPalette, pcNetscape216, false},
    {1, "Optimized1", "&Optimized (256 colors)", rgPalette, pcOptimized, false},
    {2, "N8colors1", "8 colors", rgBits, 3, false},
    {2, "N16colors1", "16 colors", rgBits, 4, false},
    {2, "N32colors1", "32 colors", rgBits, 5, false},
    {2, "N64colors1", "64 colors", rgBits, 6, false},
    {2, "N128colors1", "128 colors", rgBits, 7, false},
    {2, "N256colors1", "256 colors", rgBits, 8, true},
    {1, "OptimizedWindows1", "&Optimized Windows (256 colors)", rgPalette, pcOptimizedWindows, true},
    {0, "Dithering1", "&Dithering", 0, 0, false},
    {1, "FloydSteinberg1", "&Floyd Steinberg", rgDither, dcFloydSteinberg, true},
    {1, "Nearestcolor1", "&Nearest color", rgDither, dcNearest, false},
    {1, "Stucki1", "Stucki", rgDither, dcStucki, false},
    {1, "Burkes1", "Burkes", rgDither, dcBurkes, false},
    {1, "Sierra1", "Sierra", rgDither, dcSierra, false},
    {1, "JaJuNi1", "JaJuNi", rgDither, dcJaJuNi, false},
    {1, "SteveArche1", "SteveArche", rgDither, dcSteveArche, false},
};

const char* const kGroupProperty = "reduceGroup";
const char* const kValueProperty = "reduceValue";

// The value of the ticked item of a group, or fallback when none is ticked.
int CheckedValue(const std::map<std::string, QAction*>& actions, int group, int fallback)
{
    for (const auto& [name, action] : actions)
        if (action->property(kGroupProperty).toInt() == group && action->isChecked())
            return action->property(kValueProperty).toInt();
    return fallback;
}

QScrollArea* PictureFrame(const char* title, TPictureView*& view, QVBoxLayout*& column)
{
    auto* area = new QScrollArea;
    view = new TPictureView;
    area->setWidget(view);
    area->setWidgetResizable(false);
    column = new QVBoxLayout;
    column->addWidget(new QLabel(title));
    column->addWidget(area, 1);
    return area;
}

} // namespace

TPainterReduceF::TPainterReduceF(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("PainterReduceF");
    setWindowTitle("GIF Optimizer");
    resize(640, 420);
    ScreenBitsPerPixel = [] {
        const QScreen* screen = QGuiApplication::primaryScreen();
        return screen ? screen->depth() : 24;
    };

    auto* central = new QWidget;
    auto* rows = new QVBoxLayout(central);
    auto* pictures = new QHBoxLayout;
    QVBoxLayout* left = nullptr;
    QVBoxLayout* right = nullptr;
    PictureFrame("Bitmap", Image1, left);
    PictureFrame("GIF <= 256 colors", Image2, right);
    Image1->setObjectName("Image1");
    Image2->setObjectName("Image2");
    pictures->addLayout(left, 1);
    pictures->addLayout(right, 1);
    rows->addLayout(pictures, 1);

    auto* controls = new QHBoxLayout;
    Convert = new QPushButton("Convert");
    Convert->setObjectName("Convert");
    GIFSave = new QPushButton("GIFSave");
    GIFSave->setObjectName("GIFSave");
    Transparent = new QCheckBox("Transparent");
    Transparent->setObjectName("Transparent");
    SizeLabel = new QLabel;
    SizeLabel->setObjectName("SizeLabel");
    controls->addWidget(Convert);
    controls->addWidget(GIFSave);
    controls->addWidget(Transparent);
    controls->addWidget(SizeLabel, 1);
    rows->addLayout(controls);

    ProgressBar1 = new QProgressBar;
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    rows->addWidget(ProgressBar1);
    setCentralWidget(central);

    BuildMenus();
    connect(Convert, &QPushButton::clicked, this, [this] { Run([this] { ConvertClick(); }); });
    connect(GIFSave, &QPushButton::clicked, this, [this] { Run([this] { GIFSaveClick(); }); });
}

void TPainterReduceF::BuildMenus()
{
    std::map<int, QActionGroup*> groups;
    QMenu* menu = nullptr;
    QMenu* submenu = nullptr;
    const int count = static_cast<int>(std::size(kReduceMenu));
    for (int i = 0; i < count; ++i) {
        const TReduceMenuItem& e = kReduceMenu[i];
        const QString caption = QString::fromUtf8(e.Caption);
        QAction* action = nullptr;
        if (e.Level == 0) {
            menu = menuBar()->addMenu(caption);
            menu->setObjectName(e.Name);
            continue;
        }
        if (e.Level == 1 && i + 1 < count && kReduceMenu[i + 1].Level == 2) {
            submenu = menu->addMenu(caption);
            submenu->setObjectName(e.Name);
            action = submenu->menuAction();
            optimizedMenu_ = submenu;
        } else {
            action = (e.Level == 2 ? submenu : menu)->addAction(caption);
        }
        action->setObjectName(e.Name);
        action->setCheckable(true);
        action->setChecked(e.Checked);
        action->setProperty(kGroupProperty, e.Group);
        action->setProperty(kValueProperty, e.Value);
        auto& group = groups[e.Group];
        if (!group) group = new QActionGroup(this);
        group->addAction(action);
        actions_[e.Name] = action;
        if (action == (optimizedMenu_ ? optimizedMenu_->menuAction() : nullptr)) continue;
        const std::string name = e.Name;
        connect(action, &QAction::triggered, this, [this, name] { Run([this, name] { ChooseMenuItem(name); }); });
    }
}

QAction* TPainterReduceF::Action(const std::string& name) const
{
    auto it = actions_.find(name);
    return it == actions_.end() ? nullptr : it->second;
}

void TPainterReduceF::Run(const std::function<void()>& command)
{
    try {
        command();
    } catch (const std::exception& e) {
        Ui().ShowError(e.what());
    }
}

void TPainterReduceF::ChooseMenuItem(const std::string& name)
{
    QAction* action = Action(name);
    if (!action) return;
    const int group = action->property(kGroupProperty).toInt();
    if (name == "Windowshalftone1") Halftone1Click();
    action->setChecked(true);
    if (group == rgBits) {
        // A size of the optimized palette takes effect at once and chooses that palette.
        ReductionSettings().Bits = action->property(kValueProperty).toInt();
        Action("Optimized1")->setChecked(true);
    }
}

void TPainterReduceF::Halftone1Click()
{
    const int bits = ScreenBitsPerPixel();
    if (bits <= 8) return;
    const std::uint64_t colors = bits >= 64 ? UINT64_MAX : std::uint64_t(1) << bits;
    Ui().ShowMessage("Please note that the Windows Halftone color reduction method\n"
                     "only works properly in 256 color display mode.\n\n"
                     "Since your display adapter is currently in " +
                     std::to_string(colors) +
                     " color mode,\n"
                     "the Windows Halftone Palette method will produce the same\n"
                     "result as the Windows System Palette method.");
}

void TPainterReduceF::SetBitmap(const TBitmap& bitmap)
{
    bitmap_ = bitmap;
    Image1->SetPicture(bitmap_);
}

void TPainterReduceF::ReadChoices()
{
    TReductionSettings& settings = ReductionSettings();
    settings.Palette = static_cast<TPaletteChoice>(CheckedValue(actions_, rgPalette, pcNone));
    settings.Dither = static_cast<TDitherChoice>(CheckedValue(actions_, rgDither, settings.Dither));
}

void TPainterReduceF::Progress(TGifProgressStage stage, int percent)
{
    ProgressBar1->setValue(stage == psEnding ? 0 : percent);
    // The work runs on the GUI thread, so the bar is painted at once rather than by the event loop.
    ProgressBar1->repaint();
}

void TPainterReduceF::ConvertClick()
{
    if (bitmap_.Empty()) {
        Ui().ShowMessage("No bitmap to convert!");
        return;
    }
    // Convert comes back even when the encoder fails, so the window stays usable.
    Convert->setEnabled(false);
    struct TEnableAfter {
        QPushButton* button;
        ~TEnableAfter() { button->setEnabled(true); }
    } enableAfter{Convert};
    gifBitmap_ = TBitmap();
    Image2->SetPicture(gifBitmap_);
    ReadChoices();

    TGIFImage gif;
    gif.OnProgress = [this](TGifProgressStage stage, int percent) { Progress(stage, percent); };
    gif.Assign(bitmap_);
    const std::size_t size = gif.SaveToBytes().size();
    SizeLabel->setText(QString::fromStdString("Size= " + std::to_string(size) + " bytes"));
    gifBitmap_ = gif.Bitmap();
    Image2->SetPicture(gifBitmap_);
}

void TPainterReduceF::GIFSaveClick()
{
    std::string fileName;
    if (!Ui().SaveFileDialog("GIF Files|*.gif|BMP Files|*.bmp", fileName)) return;
    if (FileExtension(fileName).empty()) fileName += ".gif";
    WriteImageFileBytes(fileName,
                        EncodeOptimizedGif(bitmap_, ReductionSettings(), Transparent->isChecked(),
                                           [this](TGifProgressStage stage, int percent) { Progress(stage, percent); }));
}
