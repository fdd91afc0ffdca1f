#include "app/FolderDialog.h"

#include "platform/UiServices.h"

#include <QDialogButtonBox>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeView>
#include <QVBoxLayout>

#include <filesystem>

namespace fs = std::filesystem;

TFolderDialog::TFolderDialog(const std::string& caption, const std::string& start, QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QString::fromStdString(caption));
    setObjectName("FolderDialog");
    resize(420, 420);
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setRootPath("/");
    tree_ = new QTreeView;
    tree_->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column) tree_->hideColumn(column);
    tree_->header()->hide();
    FolderEdit = new QLineEdit(QString::fromStdString(start));
    FolderEdit->setObjectName("FolderEdit");
    const QModelIndex startIndex = model_->index(QString::fromStdString(start));
    if (startIndex.isValid()) {
        tree_->setCurrentIndex(startIndex);
        tree_->scrollTo(startIndex);
    }
    connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { FolderEdit->setText(model_->filePath(index)); });
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFolderDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tree_, 1);
    layout->addWidget(new QLabel("Folder (a new name is created):"));
    layout->addWidget(FolderEdit);
    layout->addWidget(buttons);
}

void TFolderDialog::accept()
{
    const std::string typed = FolderEdit->text().trimmed().toStdString();
    if (typed.empty()) return;
    fs::path folder(typed);
    if (folder.is_relative() && tree_->currentIndex().isValid())
        folder = fs::path(model_->filePath(tree_->currentIndex()).toStdString()) / folder;
    folder = folder.lexically_normal();
    if (!folder.has_filename() && folder != folder.root_path()) folder = folder.parent_path(); // a trailing "/"
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        if (fs::exists(folder, ec)) {
            Ui().ShowMessage("\"" + folder.string() + "\" is a file, not a folder.");
            return;
        }
        if (!Ui().AskYesNo("The folder \"" + folder.string() + "\" does not exist. Create it?")) return;
        fs::create_directories(folder, ec);
        if (ec || !fs::is_directory(folder)) {
            Ui().ShowError("Cannot create the folder \"" + folder.string() + "\": " + ec.message() + ".");
            return;
        }
    }
    folder_ = folder.string();
    QDialog::accept();
}
