#include "app/JpegPreviewF.h"

#include "app/PictureView.h"
#include "app/VistrelDoc.h"
#include "imaging/ImageIO.h"
#include "imaging/JpegFile.h"
#include "platform/UiServices.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>

std::string JpegFileName(const std::string& fileName)
{
    const std::string extension = FileExtension(fileName);
    return fileName.substr(0, fileName.size() - extension.size()) + ".jpg";
}

TJpegPreviewF::TJpegPreviewF(TVistrelDoc& doc, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), doc_(doc)
{
    setObjectName("JpegPreviewF");
    setWindowTitle("JPEG Preview");
    resize(476, 375);

    ScrollBox1 = new QScrollArea;
    ScrollBox1->setObjectName("ScrollBox1");
    preview = new TPictureView;
    preview->setObjectName("preview");
    ScrollBox1->setWidget(preview);

    Grayscale = new QCheckBox("Grayscale");
    Grayscale->setObjectName("Grayscale");
    SaveButton = new QPushButton("Save");
    SaveButton->setObjectName("Save");
    SaveButton->setFlat(true);
    SaveButton->setStyleSheet("color: red; font-weight: bold;");
    QualityLabel = new QLabel("Quality");
    quality = new QSlider(Qt::Vertical);
    quality->setObjectName("quality");
    quality->setRange(1, 100);
    quality->setValue(doc_.FileSettings.JpegQuality);
    quality->setTickPosition(QSlider::TicksRight);
    quality->setTickInterval(10);
    QualityValue = new QLabel(QString::number(quality->value()));
    QualityValue->setAlignment(Qt::AlignHCenter);
    SizeLabel = new QLabel("Size=");
    SizeLabel->setObjectName("SizeLabel");

    auto* layout = new QGridLayout(this);
    layout->addWidget(ScrollBox1, 0, 0, 6, 1);
    layout->addWidget(Grayscale, 0, 1);
    layout->addWidget(SaveButton, 1, 1);
    layout->addWidget(QualityLabel, 2, 1, Qt::AlignHCenter);
    layout->addWidget(quality, 3, 1, Qt::AlignHCenter);
    layout->addWidget(QualityValue, 4, 1);
    layout->addWidget(SizeLabel, 6, 0, 1, 2);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(3, 1);

    connect(quality, &QSlider::valueChanged, this, [this](int value) {
        doc_.FileSettings.JpegQuality = value;
        QualityValue->setNum(value);
        Refresh();
    });
    connect(Grayscale, &QCheckBox::clicked, this, [this] { Refresh(); });
    connect(SaveButton, &QPushButton::clicked, this, [this] { SaveClick(); });
}

void TJpegPreviewF::Refresh()
{
    // Nothing to compress yet: an empty preview rather than an error at every slider step.
    if (doc_.Picture.Empty()) {
        SizeLabel->setText("Size=");
        preview->SetPicture(TBitmap());
        return;
    }
    const std::vector<std::uint8_t> stream =
        EncodeJpeg(doc_.Picture, quality->value(), Grayscale->isChecked());
    SizeLabel->setText("Size=" + QString::number(stream.size()));
    TBitmap decoded;
    DecodeJpeg(stream.data(), stream.size(), decoded);
    preview->SetPicture(decoded);
}

void TJpegPreviewF::SaveClick()
{
    std::string fileName;
    if (!Ui().SaveFileDialog(kSaveFilter, fileName)) return;
    SaveJpegFile(JpegFileName(fileName), doc_.Picture, quality->value());
    SizeLabel->setText("jpeg size");
}
