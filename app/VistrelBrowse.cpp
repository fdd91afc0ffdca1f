#include "app/VistrelF.h"

#include "app/PictureView.h"
#include "platform/IniFile32.h"
#include "widgets/FileBrowserLists.h"

#include <QAction>
#include <QSplitter>

#include <sstream>

namespace {

// The splitters keep their places in a section of their own, apart from the window's placement.
const char* const kSplitterSection = "Splitters";

// Keys that walk through the file list without a menu entry of their own.
struct TBrowseKey {
    const char* Name;
    Qt::Key Key;
    bool OverPicture; // only while the picture area has the focus
    void (TVistrelF::*Command)();
};

const TBrowseKey kBrowseKeys[] = {
    {"NextImage1", Qt::Key_PageDown, false, &TVistrelF::NextImage},
    {"PreviousImage1", Qt::Key_PageUp, false, &TVistrelF::PreviousImage},
    {"NextImage2", Qt::Key_Space, true, &TVistrelF::NextImage},
    {"PreviousImage2", Qt::Key_Backspace, true, &TVistrelF::PreviousImage},
};

std::string SizesText(const QList<int>& sizes)
{
    std::string text;
    for (int size : sizes) text += (text.empty() ? "" : ",") + std::to_string(size);
    return text;
}

// "210,220" as the sizes of a splitter with that many panels; empty when the text does not fit it.
QList<int> ParseSizes(const std::string& text, int panels)
{
    QList<int> sizes;
    std::istringstream in(text);
    std::string part;
    while (std::getline(in, part, ',')) {
        int size = 0;
        if (!ParseIniInteger(part, size) || size < 1) return {};
        sizes.push_back(size);
    }
    return sizes.size() == panels ? sizes : QList<int>{};
}

} // namespace

void TVistrelF::BuildBrowseKeys()
{
    for (const TBrowseKey& k : kBrowseKeys) {
        auto* action = new QAction(this);
        action->setObjectName(k.Name);
        action->setShortcut(QKeySequence(k.Key));
        action->setShortcutContext(k.OverPicture ? Qt::WidgetWithChildrenShortcut : Qt::WindowShortcut);
        (k.OverPicture ? static_cast<QWidget*>(box) : this)->addAction(action);
        connect(action, &QAction::triggered, this, [this, command = k.Command] { RunCommand(command); });
        actions_[k.Name] = action;
    }
    // A click on the picture gives the picture area the focus, and with it Space and Backspace.
    box->setFocusPolicy(Qt::StrongFocus);
}

void TVistrelF::NextImage() { StepImage(1); }
void TVistrelF::PreviousImage() { StepImage(-1); }

// The step starts from the image shown when it is in the list, else from the selected entry.
int TVistrelF::CurrentImageRow() const
{
    for (int i = 0; i < files->count(); ++i)
        if (files->FullName(files->item(i)->text().toStdString()) == doc_.FileName) return i;
    const int row = files->currentRow();
    return row >= 0 && files->item(row)->isSelected() ? row : -1;
}

void TVistrelF::StepImage(int step)
{
    const int count = files->count();
    if (count == 0) return;
    const int row = CurrentImageRow();
    const int next = row < 0 ? (step > 0 ? 0 : count - 1) : row + step;
    if (next < 0 || next >= count) return;
    files->setCurrentRow(next, QItemSelectionModel::ClearAndSelect);
    files->scrollToItem(files->item(next));
    doc_.LoadFile(files->FullName(files->item(next)->text().toStdString()));
}

void TVistrelF::Quit1Click() { close(); }

void TVistrelF::ReadSplitters()
{
    for (QSplitter* splitter : {Splitter1, Splitter2}) {
        const std::string text =
            TIniFile32(SettingsFile()).ReadString(kSplitterSection, splitter->objectName().toStdString(), "");
        const QList<int> sizes = ParseSizes(text, splitter->count());
        if (!sizes.isEmpty()) splitter->setSizes(sizes);
    }
}

void TVistrelF::WriteSplitters()
{
    for (QSplitter* splitter : {Splitter1, Splitter2})
        TIniFile32(SettingsFile())
            .WriteString(kSplitterSection, splitter->objectName().toStdString(), SizesText(splitter->sizes()));
}
