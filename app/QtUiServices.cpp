#include "app/QtUiServices.h"

#include "app/FolderDialog.h"
#include "app/PasswordDlg.h"
#include "platform/IniFile32.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Title() { return QApplication::applicationName(); }

// Font style bits as the shape and script words count them.
constexpr int fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8;

QColor ToQColor(TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
TColor FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

// "ColorA" .. "ColorP" name the sixteen custom colours.
int CustomColorIndex(const std::string& line, std::string& value)
{
    auto eq = line.find('=');
    if (eq != 6 || line.compare(0, 5, "Color") != 0 || line[5] < 'A' || line[5] > 'P') return -1;
    value = line.substr(eq + 1);
    return line[5] - 'A';
}

} // namespace

// A dialog asked for in the middle of work shows the ordinary cursor while it is open.
class TDialogCursor {
public:
    explicit TDialogCursor(const TQtUiServices& ui) : busy_(!ui.work_.empty())
    {
        if (busy_) QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~TDialogCursor()
    {
        if (busy_) QApplication::restoreOverrideCursor();
    }

private:
    bool busy_;
};

QString QtFileFilter(const std::string& windowsFilter)
{
    QStringList parts = Q(windowsFilter).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        // A description that already names its patterns, as Windows filters often do, keeps them once.
        QString named = parts[i];
        if (named.replace(';', ' ').endsWith("(" + patterns + ")"))
            filters << named;
        else
            filters << parts[i] + " (" + patterns + ")";
    }
    return filters.join(";;");
}

void ApplyCustomColors(const std::vector<std::string>& lines)
{
    for (const auto& line : lines) {
        std::string value;
        int index = CustomColorIndex(line, value);
        int color = 0;
        if (index >= 0 && index < QColorDialog::customCount() && ParseIniInteger("0x" + value, color))
            QColorDialog::setCustomColor(index, ToQColor(static_cast<TColor>(color)));
    }
}

void TakeCustomColors(std::vector<std::string>& lines)
{
    std::vector<std::string> out;
    for (const auto& line : lines) {
        std::string value;
        if (CustomColorIndex(line, value) < 0) out.push_back(line);
    }
    for (int i = 0; i < QColorDialog::customCount() && i < 16; ++i) {
        char text[32];
        std::snprintf(text, sizeof text, "Color%c=%06X", 'A' + i,
                      static_cast<unsigned>(FromQColor(QColorDialog::customColor(i))));
        out.push_back(text);
    }
    lines = std::move(out);
}

void TQtUiServices::ShowMessage(const std::string& text)
{
    TDialogCursor cursor(*this);
    QMessageBox::information(parent_, Title(), Q(text));
}

void TQtUiServices::ShowError(const std::string& text)
{
    TDialogCursor cursor(*this);
    QMessageBox::critical(parent_, Title(), Q(text));
}

bool TQtUiServices::AskYesNo(const std::string& question)
{
    TDialogCursor cursor(*this);
    return QMessageBox::question(parent_, Title(), Q(question), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

int TQtUiServices::AskYesNoCancel(const std::string& question)
{
    TDialogCursor cursor(*this);
    auto answer = QMessageBox::question(parent_, Title(), Q(question),
                                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return answer == QMessageBox::Yes ? 1 : answer == QMessageBox::No ? 0 : -1;
}

bool TQtUiServices::InputQuery(const std::string& caption, const std::string& prompt, std::string& value)
{
    TDialogCursor cursor(*this);
    bool ok = false;
    QString text = QInputDialog::getText(parent_, Q(caption), Q(prompt), QLineEdit::Normal, Q(value), &ok);
    if (ok) value = text.toStdString();
    return ok;
}

bool TQtUiServices::AskPassword(const std::string& caption, std::string& password)
{
    TDialogCursor cursor(*this);
    TPasswordDlg dialog(parent_);
    if (!caption.empty()) dialog.setWindowTitle(Q(caption));
    if (dialog.exec() != QDialog::Accepted) return false;
    password = dialog.Password->text().toStdString();
    return true;
}

bool TQtUiServices::OpenFileDialog(const std::string& filter, std::string& fileName)
{
    TDialogCursor cursor(*this);
    QString name = QFileDialog::getOpenFileName(parent_, QString(), Q(fileName), QtFileFilter(filter));
    if (name.isEmpty()) return false;
    fileName = name.toStdString();
    return true;
}

bool TQtUiServices::SaveFileDialog(const std::string& filter, std::string& fileName)
{
    TDialogCursor cursor(*this);
    // The commands ask their own overwrite question.
    QString name = QFileDialog::getSaveFileName(parent_, QString(), Q(fileName), QtFileFilter(filter), nullptr,
                                                QFileDialog::DontConfirmOverwrite);
    if (name.isEmpty()) return false;
    fileName = name.toStdString();
    return true;
}

bool TQtUiServices::SelectFolder(const std::string& caption, std::string& folder)
{
    TDialogCursor cursor(*this);
    // Qt's own folder dialog cannot create a folder that is typed in.
    TFolderDialog dialog(caption, folder, parent_);
    if (dialog.exec() != QDialog::Accepted) return false;
    folder = dialog.Folder();
    return true;
}

bool TQtUiServices::PickColor(TColor& color)
{
    TDialogCursor cursor(*this);
    ApplyCustomColors(customColors_);
    QColor chosen = QColorDialog::getColor(ToQColor(color), parent_);
    TakeCustomColors(customColors_);
    if (!chosen.isValid()) return false;
    color = FromQColor(chosen);
    return true;
}

bool TQtUiServices::PickFont(std::string& name, int& size, int& style, TColor&)
{
    TDialogCursor cursor(*this);
    QFont initial(Q(name), size > 0 ? size : 10);
    initial.setBold(style & fsBold);
    initial.setItalic(style & fsItalic);
    initial.setUnderline(style & fsUnderline);
    initial.setStrikeOut(style & fsStrikeOut);
    bool ok = false;
    QFont font = QFontDialog::getFont(&ok, initial, parent_);
    if (!ok) return false;
    name = font.family().toStdString();
    size = font.pointSize() > 0 ? font.pointSize() : size;
    style = (font.bold() ? fsBold : 0) | (font.italic() ? fsItalic : 0) | (font.underline() ? fsUnderline : 0) |
            (font.strikeOut() ? fsStrikeOut : 0);
    return true;
}

bool TQtUiServices::ChooseItem(const std::string& caption, const std::vector<std::string>& items, int& index)
{
    TDialogCursor cursor(*this);
    QStringList list;
    for (const auto& item : items) list << Q(item);
    bool ok = false;
    const QString chosen = QInputDialog::getItem(parent_, Title(), Q(caption), list, index, false, &ok);
    if (!ok || !list.contains(chosen)) return false;
    index = static_cast<int>(list.indexOf(chosen));
    return true;
}

void TQtUiServices::Say(const std::string& text)
{
    TDialogCursor cursor(*this);
    QMessageBox::information(parent_, Title(), Q(text));
}

// ---- work ------------------------------------------------------------------------------------

void TQtUiServices::BeginWork(const std::string& caption)
{
    if (work_.empty()) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        workTime_.start();
        sinceEvents_.invalidate();
        cancelled_ = false;
    }
    work_.push_back(caption);
    if (progress_) ShowProgress();
}

bool TQtUiServices::KeepAlive()
{
    if (work_.empty()) return true;
    // The window's events are looked at some twenty times a second; more often would slow the work.
    if (sinceEvents_.isValid() && sinceEvents_.elapsed() < 50) return !cancelled_;
    sinceEvents_.start();
    if (!progress_ && workTime_.elapsed() >= kProgressDelay) ShowProgress();
    // Until the modal progress box is up, clicks and keys wait: they could start a second command.
    QApplication::processEvents(progress_ ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    if (progress_ && progress_->wasCanceled()) cancelled_ = true;
    return !cancelled_;
}

void TQtUiServices::EndWork()
{
    if (work_.empty()) return;
    work_.pop_back();
    if (!work_.empty()) return;
    if (progress_) QApplication::restoreOverrideCursor(); // the box's own ordinary cursor
    delete progress_;
    QApplication::restoreOverrideCursor();
}

void TQtUiServices::ShowProgress()
{
    QString caption = "Working...";
    for (const auto& c : work_)
        if (!c.empty()) caption = Q(c);
    if (!progress_) {
        progress_ = new QProgressDialog(caption, "Cancel", 0, 0, parent_);
        progress_->setWindowTitle(Title());
        progress_->setWindowModality(Qt::ApplicationModal);
        progress_->setAutoClose(false);
        progress_->setAutoReset(false);
        progress_->setMinimumDuration(0);
        // The box tells that the window is busy; its Cancel wants the ordinary cursor.
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        progress_->show();
    }
    progress_->setLabelText(caption);
}
