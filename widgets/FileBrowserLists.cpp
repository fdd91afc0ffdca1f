#include "widgets/FileBrowserLists.h"

#include "platform/Errors.h"
#include "platform/FileMask.h"

#include <QApplication>
#include <QStorageInfo>
#include <QStyle>

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool LessIgnoringCase(const std::string& a, const std::string& b)
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

QString ToQ(const std::string& s) { return QString::fromStdString(s); }

} // namespace

bool MatchesFileMask(const std::string& name, const std::string& mask)
{
    std::size_t start = 0;
    while (start <= mask.size()) {
        std::size_t end = mask.find(';', start);
        if (end == std::string::npos) end = mask.size();
        std::string pattern = mask.substr(start, end - start);
        // "*.*" stands for every file, with or without an extension.
        if (!pattern.empty() && FileMaskMatches(pattern, name)) return true;
        start = end + 1;
    }
    return false;
}

std::string NormalFolder(const std::string& folder)
{
    std::error_code ec;
    fs::path p = fs::absolute(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    std::string s = (ec ? fs::path(folder) : p).lexically_normal().string();
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}

// ---- drives ------------------------------------------------------------------------------------

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent)
{
    Update();
    connect(this, &QComboBox::activated, this, [this](int index) { emit DriveChosen(itemData(index).toString()); });
}

void TDriveComboBox::Update()
{
    clear();
    std::set<QString> roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady()) roots.insert(volume.rootPath());
    roots.insert("/");
    for (const QString& root : roots) addItem(style()->standardIcon(QStyle::SP_DriveHDIcon), root, root);
}

void TDriveComboBox::ShowDriveOf(const std::string& folder)
{
    int best = -1;
    qsizetype bestLength = -1;
    const QString f = ToQ(folder);
    for (int i = 0; i < count(); ++i) {
        QString root = itemData(i).toString();
        bool inside = f == root || f.startsWith(root.endsWith('/') ? root : root + '/');
        if (inside && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best >= 0) setCurrentIndex(best);
}

// ---- directories ---------------------------------------------------------------------------------

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(false);
    setIndentation(12);
    // The path to the current folder always shows; folders are entered, not folded.
    setItemsExpandable(false);
    // Dragging the list onto the favourites box adds its folder there.
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragOnly);
    connect(this, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item, int) {
        if (!item) return;
        try {
            SetDirectory(item->data(0, Qt::UserRole).toString().toStdString());
        } catch (const std::exception&) {
            // A folder removed since the list was read: show what is there now.
            Rebuild();
        }
    });
}

void TDirectoryListBox::SetDirectory(const std::string& folder)
{
    std::string normal = NormalFolder(folder);
    std::error_code ec;
    if (!fs::is_directory(normal, ec)) throw EvekFileError("The folder " + folder + " does not exist");
    directory_ = normal;
    Rebuild();
    emit DirectoryChanged(ToQ(directory_));
}

void TDirectoryListBox::Rebuild()
{
    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);

    QTreeWidgetItem* parentItem = nullptr;
    std::string path;
    auto addItem = [&](const std::string& text, const std::string& full, const QIcon& icon) {
        auto* item = parentItem ? new QTreeWidgetItem(parentItem) : new QTreeWidgetItem(this);
        item->setText(0, ToQ(text));
        item->setIcon(0, icon);
        item->setData(0, Qt::UserRole, ToQ(full));
        return item;
    };
    parentItem = addItem("/", "/", open);
    parentItem->setExpanded(true);
    fs::path current(directory_);
    for (const auto& part : current.relative_path()) {
        path += "/" + part.string();
        parentItem = addItem(part.string(), path, open);
        parentItem->setExpanded(true);
    }
    setCurrentItem(parentItem);

    std::vector<std::string> children;
    std::error_code ec;
    for (fs::directory_iterator it(current, fs::directory_options::skip_permission_denied, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code dirEc;
        if (name.empty() || name[0] == '.' || !it->is_directory(dirEc)) continue;
        children.push_back(name);
    }
    std::sort(children.begin(), children.end(), LessIgnoringCase);
    const std::string prefix = directory_ == "/" ? "/" : directory_ + "/";
    for (const auto& name : children) addItem(name, prefix + name, closed);
    parentItem->setExpanded(true);
}

// ---- files -----------------------------------------------------------------------------------

TFileListBox::TFileListBox(QWidget* parent)
    : QListWidget(parent), watcher_(new QFileSystemWatcher(this)), rereadSoon_(new QTimer(this))
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A program writing many files changes the folder many times; the list is read once they pause.
    rereadSoon_->setSingleShot(true);
    rereadSoon_->setInterval(150);
    connect(rereadSoon_, &QTimer::timeout, this, [this] { Update(); });
    connect(watcher_, &QFileSystemWatcher::directoryChanged, rereadSoon_, qOverload<>(&QTimer::start));
}

void TFileListBox::SetMask(const std::string& mask)
{
    mask_ = mask;
    Update();
}

void TFileListBox::SetDirectory(const std::string& folder)
{
    directory_ = NormalFolder(folder);
    if (!watcher_->directories().isEmpty()) watcher_->removePaths(watcher_->directories());
    watcher_->addPath(ToQ(directory_));
    clear();
    Update();
}

void TFileListBox::Update()
{
    std::set<std::string> selected;
    for (const auto& name : SelectedNames()) selected.insert(name);
    std::string focused = currentItem() ? currentItem()->text().toStdString() : std::string();
    clear();
    if (directory_.empty()) return;

    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(directory_, fs::directory_options::skip_permission_denied, ec), end;
         !ec && it != end; it.increment(ec)) {
        std::error_code fileEc;
        if (!it->is_regular_file(fileEc)) continue;
        std::string name = it->path().filename().string();
        if (MatchesFileMask(name, mask_)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), LessIgnoringCase);
    for (const auto& name : names) {
        auto* item = new QListWidgetItem(ToQ(name), this);
        if (name == focused) setCurrentItem(item, QItemSelectionModel::NoUpdate);
        item->setSelected(selected.count(name) != 0);
    }
}

std::vector<std::string> TFileListBox::FileNames() const
{
    std::vector<std::string> out;
    for (int i = 0; i < count(); ++i) out.push_back(item(i)->text().toStdString());
    return out;
}

std::vector<std::string> TFileListBox::SelectedNames() const
{
    std::vector<std::string> out;
    for (int i = 0; i < count(); ++i)
        if (item(i)->isSelected()) out.push_back(item(i)->text().toStdString());
    return out;
}

std::string TFileListBox::SelectedName() const
{
    if (currentItem() && currentItem()->isSelected()) return currentItem()->text().toStdString();
    auto names = SelectedNames();
    return names.empty() ? std::string() : names.front();
}

std::string TFileListBox::FullName(const std::string& name) const
{
    return directory_ == "/" ? "/" + name : directory_ + "/" + name;
}
