#pragma once
#include "platform/UiServices.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressDialog>
#include <QString>

#include <string>
#include <vector>

class QWidget;

// "Text|*.a;*.b|Text|*.c" as a Qt file dialog filter "Text (*.a *.b);;Text (*.c)".
QString QtFileFilter(const std::string& windowsFilter);

// The colour dialog's custom colours as lines "ColorA=BBGGRR" .. "ColorP=BBGGRR" (hexadecimal
// TColor values); other lines are kept as they are.
void ApplyCustomColors(const std::vector<std::string>& lines);
void TakeCustomColors(std::vector<std::string>& lines);

// The window's dialogs: message boxes, input and password boxes, file, folder, colour and font
// dialogs, all owned by the main window.
class TQtUiServices : public TUiServices {
public:
    TQtUiServices(QWidget* parent, std::vector<std::string>& customColors)
        : parent_(parent), customColors_(customColors)
    {
    }

    void ShowMessage(const std::string& text) override;
    void ShowError(const std::string& text) override;
    bool AskYesNo(const std::string& question) override;
    int AskYesNoCancel(const std::string& question) override;
    bool InputQuery(const std::string& caption, const std::string& prompt, std::string& value) override;
    bool AskPassword(const std::string& caption, std::string& password) override;
    bool OpenFileDialog(const std::string& filter, std::string& fileName) override;
    bool SaveFileDialog(const std::string& filter, std::string& fileName) override;
    bool SelectFolder(const std::string& caption, std::string& folder) override;
    bool PickColor(TColor& color) override;
    bool PickFont(std::string& name, int& size, int& style, TColor& color) override;
    bool ChooseItem(const std::string& caption, const std::vector<std::string>& items, int& index) override;
    void Say(const std::string& text) override;
    void BeginWork(const std::string& caption) override;
    bool KeepAlive() override;
    void EndWork() override;

    // Work that runs this long (milliseconds) shows the progress box.
    static constexpr int kProgressDelay = 500;
    // The progress box while it shows, or nullptr.
    QProgressDialog* Progress() const { return progress_; }

private:
    friend class TDialogCursor;
    void ShowProgress();

    QWidget* parent_;
    std::vector<std::string>& customColors_;
    std::vector<std::string> work_; // the captions of the work under way, outermost first
    QElapsedTimer workTime_;
    QElapsedTimer sinceEvents_;
    QPointer<QProgressDialog> progress_;
    bool cancelled_ = false;
};
