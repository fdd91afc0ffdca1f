#pragma once
#include <QWidget>

#include <string>

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QSlider;
class TPictureView;
class TVistrelDoc;

// The JPEG optimizer: the working image as it would look, and how large it would be, at a chosen
// JPEG quality. Its slider is the quality of every JPEG the program writes.
class TJpegPreviewF : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kSaveFilter = "JPEG Files|*.jpg;*.jpeg";

    TJpegPreviewF(TVistrelDoc& doc, QWidget* parent = nullptr);

    // Compresses the working image in memory at the slider's quality (greyscale when ticked), shows
    // "Size=" and the size in bytes, and shows the decoded result. The working image is not changed.
    void Refresh();
    // "Save": asks for a name, makes it end in ".jpg" and writes the colour JPEG there.
    void SaveClick();

    QScrollArea* ScrollBox1 = nullptr;
    TPictureView* preview = nullptr;
    QCheckBox* Grayscale = nullptr;
    QPushButton* SaveButton = nullptr;
    QLabel* QualityLabel = nullptr;
    QSlider* quality = nullptr;
    QLabel* QualityValue = nullptr;
    QLabel* SizeLabel = nullptr;

private:
    TVistrelDoc& doc_;
};

// The name with its extension replaced by ".jpg" (added when it has none).
std::string JpegFileName(const std::string& fileName);
