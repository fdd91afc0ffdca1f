#include "app/VistrelF.h"

#include "app/OverlayView.h"
#include "app/PictureView.h"
#include "widgets/FileBrowserLists.h"

#include <QAction>

// The overlay picture, hidden until an overlay is loaded, and the file list's "&Overlay".
void TVistrelF::BuildOverlay()
{
    Image2 = new TOverlayView(box->Surface());
    Image2->setObjectName("Image2");
    Image2->hide();
    connect(Image2->Paint2, &QAction::triggered, this, [this] { RunCommand(&TVistrelF::PaintOverlay1Click); });
    connect(Image2->Glue1, &QAction::triggered, this, [this] { RunCommand(&TVistrelF::Glue1Click); });

    auto* overlay = new QAction("&Overlay", files);
    overlay->setObjectName("Overlay2");
    files->addAction(overlay);
    files->setContextMenuPolicy(Qt::ActionsContextMenu);
    actions_["Overlay2"] = overlay;
    connect(overlay, &QAction::triggered, this, [this] { RunCommand(&TVistrelF::Overlay2Click); });
}

void TVistrelF::LoadOverlay(const std::string& fileName)
{
    TBitmap overlay;
    if (!doc_.LoadOverlay(fileName, overlay)) return;
    Image2->SetPicture(std::move(overlay));
    if (!Action("ViewOverlay1")->isChecked()) ViewOverlay1Click();
}

void TVistrelF::Overlay1Click()
{
    std::string fileName;
    if (doc_.AskOpenFileName(kOpenFilter, fileName)) LoadOverlay(fileName);
}

void TVistrelF::Overlay2Click()
{
    const std::string name = files->SelectedName();
    if (!name.empty()) LoadOverlay(files->FullName(name));
}

void TVistrelF::ViewOverlay1Click()
{
    const bool on = !Image2->isVisibleTo(box->Surface());
    Action("ViewOverlay1")->setChecked(on);
    Image2->setVisible(on);
    if (on) Image2->raise();
    box->FitSurface();
}

// The overlay's place on the surface is its place in the image, however far the view is scrolled.
void TVistrelF::PaintOverlay1Click() { doc_.PaintOverlay(Image2->Picture(), Image2->x(), Image2->y()); }
void TVistrelF::Glue1Click() { doc_.GlueOverlay(Image2->Picture(), Image2->x(), Image2->y()); }

void TVistrelF::previewtiled1Click() { doc_.PreviewTiled(); }
void TVistrelF::previewtransparent1Click() { doc_.PreviewTransparent(); }
