#pragma once
#include <QComboBox>

#include <string>
#include <vector>

class TDirectoryListBox;

// The favourites box: named folders, each line "alias=path" in the order of the visible aliases.
// Dragging the linked directory list onto the box adds its folder under a typed alias; choosing an
// alias sends the directory list there. A path inside the program folder is stored as "%" + the
// rest, so that favourites move with the program. The list lives in "directories.txt" in the
// program folder.
class TvekDirectories : public QComboBox {
    Q_OBJECT
public:
    explicit TvekDirectories(QWidget* parent = nullptr);
    // Saves the list (always, also when empty).
    ~TvekDirectories() override;

    void SetDirectoryListBox(TDirectoryListBox* list) { directoryListBox_ = list; }
    TDirectoryListBox* DirectoryListBox() const { return directoryListBox_; }
    const std::vector<std::string>& Favorites() const { return favorites_; }

    // Reads "directories.txt" when it exists and rebuilds the visible aliases.
    void Loaded();
    void Save() const;

    // The drop is taken exactly from the linked directory list.
    bool AcceptsDropFrom(const QObject* source) const;
    // Asks for an alias and adds or updates the favourite for the directory list's folder.
    void DropFrom(const QObject* source);
    // Sends the directory list to the chosen alias's folder.
    void Click();
    // Removes a favourite; the box's context menu removes the one it shows.
    void RemoveFavorite(int index);

    // "%" stands for the program folder at the start of a stored path.
    static std::string StoredPath(const std::string& folder);
    static std::string ResolvedPath(const std::string& stored);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int IndexOfName(const std::string& alias) const;

    std::vector<std::string> favorites_;
    TDirectoryListBox* directoryListBox_ = nullptr;
};
