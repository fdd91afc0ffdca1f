#pragma once
#include <QDialog>

#include <string>

class QFileSystemModel;
class QLineEdit;
class QTreeView;

// Chooses a folder, or names one that does not exist yet and creates it on request: the folder tree
// to pick from and the name as typed (relative names are taken in the folder picked in the tree).
class TFolderDialog : public QDialog {
    Q_OBJECT
public:
    TFolderDialog(const std::string& caption, const std::string& start, QWidget* parent = nullptr);

    std::string Folder() const { return folder_; }
    QLineEdit* FolderEdit = nullptr;

    // OK: a typed folder that does not exist is created after a Yes to the question; No or a failure
    // keeps the dialog open.
    void accept() override;

private:
    QFileSystemModel* model_ = nullptr;
    QTreeView* tree_ = nullptr;
    std::string folder_;
};
