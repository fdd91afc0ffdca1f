#include "app/BatchF.h"

#include "app/VistrelDoc.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QSpinBox* SizeEdit(const char* name)
{
    auto* edit = new QSpinBox;
    edit->setObjectName(name);
    edit->setRange(16, 1024);
    edit->setValue(100);
    return edit;
}

QGroupBox* RadioGroup(const char* caption, std::initializer_list<const char*> items, int checked, QButtonGroup*& group,
                      QObject* owner)
{
    auto* box = new QGroupBox(caption);
    auto* column = new QVBoxLayout(box);
    group = new QButtonGroup(owner);
    int id = 0;
    for (const char* item : items) {
        auto* button = new QRadioButton(item);
        button->setChecked(id == checked);
        group->addButton(button, id++);
        column->addWidget(button);
    }
    return box;
}

} // namespace

TBatchF::TBatchF(TVistrelDoc& doc, QWidget* parent) : QDialog(parent), doc_(doc)
{
    setObjectName("BatchF");
    setWindowTitle("Batch Conversion Settings");
    setModal(true);
    Width = SizeEdit("Width");
    Height = SizeEdit("Height");
    auto* sizes = new QFormLayout;
    sizes->addRow("Width", Width);
    sizes->addRow("Height", Height);
    auto* groups = new QHBoxLayout;
    groups->addWidget(RadioGroup("Output Format", {"BMP", "GIF", "JPG", "PNG", "TIF"}, 2, OutputFormat, this));
    groups->addWidget(RadioGroup("Keep Fixed", {"Width", "Height"}, 0, KeepFixed, this));
    Directory = new QPushButton("Directory...");
    Directory->setObjectName("Directory");
    connect(Directory, &QPushButton::clicked, this, &TBatchF::DirectoryClick);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(sizes);
    layout->addLayout(groups);
    layout->addWidget(Directory);
    layout->addWidget(buttons);
}

void TBatchF::ShowDirectory()
{
    // The coloured button of the design: it shows the chosen output folder.
    Directory->setText(doc_.batchDir.empty() ? QString("Directory...") : QString::fromStdString(doc_.batchDir));
    Directory->setStyleSheet(doc_.batchDir.empty() ? QString() : QString("color: navy;"));
}

void TBatchF::Execute()
{
    ShowDirectory();
    if (exec() != QDialog::Accepted) return;
    doc_.BatchWidth = Width->value();
    doc_.BatchHeight = Height->value();
    doc_.BatchFormat = OutputFormat->checkedId();
    doc_.BatchKeep = KeepFixed->checkedId();
}

void TBatchF::DirectoryClick()
{
    doc_.ChooseBatchDir();
    ShowDirectory();
}
