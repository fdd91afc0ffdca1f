#pragma once
#include <QComboBox>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QListWidget>
#include <QTreeWidget>

#include <string>
#include <vector>

// The file browser's three linked lists: the drive list drives the directory list, which drives the
// file list. Folders are given without a trailing "/" (except the root).

// True when the file name matches one of the ";"-separated patterns ("*" and "?"), ignoring case;
// "*.*" matches every name.
bool MatchesFileMask(const std::string& name, const std::string& mask);
// Absolute, normalized, without a trailing "/" except for the root.
std::string NormalFolder(const std::string& folder);

// Mounted volumes; choosing one sends the directory list to its root.
class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);
    // Rereads the mounted volumes.
    void Update();
    // Shows the volume that holds the folder.
    void ShowDriveOf(const std::string& folder);
signals:
    void DriveChosen(const QString& root);
};

// The path from the root down to the current folder, then the current folder's subfolders.
// Activating an entry (double-click, Enter) makes it the current folder.
class TDirectoryListBox : public QTreeWidget {
    Q_OBJECT
public:
    explicit TDirectoryListBox(QWidget* parent = nullptr);
    const std::string& Directory() const { return directory_; }
    // Raises EvekFileError when the folder does not exist; the list then stays as it was.
    void SetDirectory(const std::string& folder);
signals:
    void DirectoryChanged(const QString& folder);

private:
    void Rebuild();
    std::string directory_;
};

// The files of one folder that match the mask, sorted without regard to case; several may be
// selected. The list follows files added to or removed from its folder by itself.
class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* parent = nullptr);
    void SetMask(const std::string& mask);
    const std::string& Mask() const { return mask_; }
    const std::string& Directory() const { return directory_; }
    void SetDirectory(const std::string& folder);
    // Rereads the folder, keeping the selection of names that are still there.
    void Update();
    std::vector<std::string> FileNames() const;
    // The focused entry when it is selected, else the first selected one; empty when none is.
    std::string SelectedName() const;
    std::vector<std::string> SelectedNames() const;
    // Folder + "/" + name.
    std::string FullName(const std::string& name) const;

private:
    std::string mask_ = "*.*";
    std::string directory_;
    QFileSystemWatcher* watcher_;
    QTimer* rereadSoon_;
};
