// The small tools around the working image: the JPEG optimizer, the PNG text, the screen capture
// and scanning.
#include "app/BatchF.h"
#include "app/JpegPreviewF.h"
#include "app/PainterReduceF.h"
#include "app/SpyF.h"
#include "app/TextForm.h"
#include "app/VistrelDoc.h"
#include "app/VistrelF.h"
#include "platform/Errors.h"
#include "platform/Scanner.h"
#include "platform/ScreenCapture.h"
#include "platform/UiServices.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

bool TVistrelDoc::ToggleTextChunk()
{
    FileSettings.PngTextOn = !FileSettings.PngTextOn;
    return FileSettings.PngTextOn;
}

void TVistrelDoc::TwainScan()
{
    const std::vector<TScanSource> sources = ScanSources();
    if (sources.empty()) throw EvekError(kScanCannotOpenSource);
    std::vector<std::string> labels;
    for (const auto& source : sources) labels.push_back(source.Label());
    int chosen = 0;
    if (!Ui().ChooseItem("Select Source", labels, chosen)) return;
    TBitmap scanned = ScanImage(sources.at(static_cast<std::size_t>(chosen)).Name);
    if (scanned.Empty()) return;
    Picture = std::move(scanned);
    view_.PictureChanged();
}

void TVistrelF::CreateToolWindows()
{
    // In the order the program has always made them; all stay hidden until their command.
    JpegPreviewF = new TJpegPreviewF(doc_, this);
    PainterReduceF = std::make_unique<TPainterReduceF>();
    BatchF = new TBatchF(doc_, this);
    SpyF = new TSpyF(this);
    TextForm = new TTextForm(this);
}

void TVistrelF::JPGoptimize1Click()
{
    JpegPreviewF->show();
    JpegPreviewF->raise();
    JpegPreviewF->Refresh();
}

void TVistrelF::TextChunk1Click()
{
    const bool on = doc_.ToggleTextChunk();
    if (QAction* action = Action("TextChunk1")) action->setChecked(on);
}

void TVistrelF::PNGText1Click() { TextForm->Edit(doc_.FileSettings.PngText); }

void TVistrelF::Capture1Click()
{
    doc_.PrepareEffect();
    SpyF->exec();
    const QRect area = SpyF->CaptureRect();
    // The windows that lay under the frame repaint themselves before the screen is read.
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 200) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    doc_.Picture = CaptureScreen(area.x(), area.y(), area.width(), area.height());
    PictureChanged();
}

void TVistrelF::TwainScan1Click() { doc_.TwainScan(); }
