#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;

// The password window of encrypted image files: "Enter password", one field that shows "*" for each
// typed character, OK and Cancel; it stays above other windows.
class TPasswordDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPasswordDlg(QWidget* parent = nullptr);

    QLabel* Label = nullptr;
    QLineEdit* Password = nullptr;
};
