#pragma once
#include <QDialog>

#include <string>

class QPlainTextEdit;
class QPushButton;

// The memo edits lines ending in a lone line feed, the PNG text keeps CR LF (the line break a PNG
// load puts between its two texts): texts pass through these two on their way in and out, so that
// a text shown and taken back unchanged compares equal.
QString MemoText(const std::string& pngText);
std::string PngTextOf(const QString& memoText);

// The PNG text window: a memo with OK and Cancel.
class TTextForm : public QDialog {
    Q_OBJECT
public:
    explicit TTextForm(QWidget* parent = nullptr);

    // Shows text modally; on OK text takes the memo's text and true is returned.
    bool Edit(std::string& text);

    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;
};
