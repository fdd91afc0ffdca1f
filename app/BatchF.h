#pragma once
#include <QDialog>

class QButtonGroup;
class QPushButton;
class QSpinBox;
class TVistrelDoc;

// The batch settings window, "Batch Conversion Settings": created once at start, it keeps its
// control values between openings. OK hands them to the main window's batch settings.
class TBatchF : public QDialog {
    Q_OBJECT
public:
    TBatchF(TVistrelDoc& doc, QWidget* parent = nullptr);

    // Batch Settings: shows the window modally; OK sets BatchWidth, BatchHeight, BatchFormat and
    // BatchKeep, Cancel none of them.
    void Execute();
    // The "Directory..." button: batchDir takes the chosen folder at once, whatever the window's end.
    void DirectoryClick();

    QSpinBox* Width = nullptr;
    QSpinBox* Height = nullptr;
    QButtonGroup* OutputFormat = nullptr; // ids 0 to 4: BMP, GIF, JPG, PNG, TIF
    QButtonGroup* KeepFixed = nullptr;    // ids 0 and 1: Width, Height
    QPushButton* Directory = nullptr;

private:
    void ShowDirectory();
    TVistrelDoc& doc_;
};
