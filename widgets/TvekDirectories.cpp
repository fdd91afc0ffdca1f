#include "widgets/TvekDirectories.h"

#include "platform/IniFile32.h"
#include "platform/ProgramFolder.h"
#include "platform/UiServices.h"
#include "widgets/FileBrowserLists.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>

#include <cstdio>
#include <filesystem>

namespace {

std::string FavoritesFile() { return ProgramFolder() + "directories.txt"; }

std::string NamePart(const std::string& line) { return line.substr(0, line.find('=')); }

std::string ValuePart(const std::string& line)
{
    auto eq = line.find('=');
    return eq == std::string::npos ? std::string() : line.substr(eq + 1);
}

bool SameTextAscii(const std::string& a, const std::string& b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

} // namespace

TvekDirectories::TvekDirectories(QWidget* parent) : QComboBox(parent)
{
    setAcceptDrops(true);
    setPlaceholderText("Favorite directories");
    connect(this, &QComboBox::activated, this, [this](int) { Click(); });
    auto* remove = new QAction("&Remove favorite", this);
    remove->setObjectName("RemoveFavorite");
    addAction(remove);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(remove, &QAction::triggered, this, [this] { RemoveFavorite(currentIndex()); });
    // Only a favourite that shows can be removed.
    auto enable = [this, remove] { remove->setEnabled(currentIndex() >= 0); };
    connect(this, &QComboBox::currentIndexChanged, this, enable);
    enable();
}

TvekDirectories::~TvekDirectories()
{
    try {
        Save();
    } catch (const std::exception& e) {
        // Nothing is left to show an error box at this point.
        std::fprintf(stderr, "%s\n", e.what());
    }
}

void TvekDirectories::Loaded()
{
    std::error_code ec;
    const std::string file = FavoritesFile();
    if (!std::filesystem::exists(file, ec)) return;
    favorites_ = LoadTextLines(file);
    clear();
    for (const auto& line : favorites_) addItem(QString::fromStdString(NamePart(line)));
    setCurrentIndex(-1);
}

void TvekDirectories::Save() const { SaveTextLines(FavoritesFile(), favorites_); }

std::string TvekDirectories::StoredPath(const std::string& folder)
{
    const std::string& home = ProgramFolder();
    if (folder + "/" == home) return "%";
    if (folder.compare(0, home.size(), home) == 0) return "%" + folder.substr(home.size());
    return folder;
}

std::string TvekDirectories::ResolvedPath(const std::string& stored)
{
    if (!stored.empty() && stored[0] == '%') return ProgramFolder() + stored.substr(1);
    return stored;
}

int TvekDirectories::IndexOfName(const std::string& alias) const
{
    for (std::size_t i = 0; i < favorites_.size(); ++i)
        if (SameTextAscii(NamePart(favorites_[i]), alias)) return static_cast<int>(i);
    return -1;
}

bool TvekDirectories::AcceptsDropFrom(const QObject* source) const
{
    return directoryListBox_ && source == directoryListBox_;
}

void TvekDirectories::DropFrom(const QObject* source)
{
    if (!AcceptsDropFrom(source)) return;
    std::string alias;
    if (!Ui().InputQuery("Favorite directories", "Enter alias:", alias) || alias.empty()) return;
    // An "=" or a line break in the alias would split the stored line wrongly.
    if (alias.find_first_of("=\r\n") != std::string::npos) return;
    const std::string line = alias + "=" + StoredPath(directoryListBox_->Directory());
    int at = IndexOfName(alias);
    if (at < 0) {
        favorites_.push_back(line);
        addItem(QString::fromStdString(alias));
    } else {
        favorites_[at] = line;
    }
}

void TvekDirectories::Click()
{
    int index = currentIndex();
    if (index < 0 || index >= static_cast<int>(favorites_.size()) || !directoryListBox_) return;
    try {
        directoryListBox_->SetDirectory(ResolvedPath(ValuePart(favorites_[index])));
    } catch (const std::exception& e) {
        Ui().ShowError(e.what());
    }
}

void TvekDirectories::RemoveFavorite(int index)
{
    if (index < 0 || index >= static_cast<int>(favorites_.size())) return;
    favorites_.erase(favorites_.begin() + index);
    removeItem(index);
    setCurrentIndex(-1);
}

void TvekDirectories::dragEnterEvent(QDragEnterEvent* event)
{
    if (AcceptsDropFrom(event->source()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TvekDirectories::dragMoveEvent(QDragMoveEvent* event)
{
    if (AcceptsDropFrom(event->source()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void TvekDirectories::dropEvent(QDropEvent* event)
{
    if (!AcceptsDropFrom(event->source())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    DropFrom(event->source());
}
