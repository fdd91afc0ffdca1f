#include "platform/UiServices.h"
#include "platform/FileMask.h"
#include "script/ScriptText.h"
#include "script/VekScript.h"
#include "script/WordTable.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QProcess>
#include <QString>
#include <QUrl>

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unistd.h>
#include <vector>

// Files and folders. The words whose success is not reported ignore a failed operation.

namespace fs = std::filesystem;

namespace {

// Regular files stand for the entries with the archive attribute.
void Files(TvekScript& s)
{
    const std::string mask = s.PopString();
    const std::string folder = s.ExpandFileName(s.PopString());
    const std::string pattern = folder + mask;
    const std::size_t slash = pattern.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
    const std::string namePattern = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        const std::string name = it->path().filename().string();
        if (FileMaskMatches(namePattern, name)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    std::string list;
    for (const auto& name : names) list += folder + name + "\r\n";
    s.Push(TVariant(std::move(list)));
}

void ChDir(TvekScript& s)
{
    const std::string folder = s.PopString();
    std::error_code ec;
    fs::current_path(folder, ec);
    if (ec) throw EvekScriptError("I/O error " + std::to_string(ec.value()) + ": " + folder);
}

void CreateDir(TvekScript& s)
{
    std::error_code ec;
    fs::create_directory(s.PopString(), ec);
}

void RemoveDir(TvekScript& s) { ::rmdir(s.PopString().c_str()); }

void DeleteFile(TvekScript& s)
{
    const std::string file = s.PopString();
    std::error_code ec;
    if (!fs::is_directory(file, ec)) fs::remove(file, ec);
}

// Never replaces an existing file: renaming onto one fails, as it always did.
void RenameFile(TvekScript& s)
{
    const std::string to = s.PopString();
    const std::string from = s.PopString();
    std::error_code ec;
    if (fs::exists(fs::symlink_status(to, ec))) return;
    fs::rename(from, to, ec);
}

void FileExists(TvekScript& s)
{
    std::error_code ec;
    s.Push(TVariant(fs::is_regular_file(s.PopString(), ec)));
}

void DirectoryExists(TvekScript& s)
{
    std::error_code ec;
    s.Push(TVariant(fs::is_directory(s.PopString(), ec)));
}

// Index of the extension's dot, or npos: the last dot after the last separator.
std::size_t ExtensionDot(const std::string& file)
{
    const std::size_t dot = file.rfind('.');
    const std::size_t slash = file.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
    return dot;
}

std::size_t NameStart(const std::string& file)
{
    const std::size_t slash = file.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

void ChangeFileExt(TvekScript& s)
{
    const std::string ext = s.PopString();
    const std::string file = s.PopString();
    const std::size_t dot = ExtensionDot(file);
    s.Push(TVariant((dot == std::string::npos ? file : file.substr(0, dot)) + ext));
}

void ExtractFileExt(TvekScript& s)
{
    const std::string file = s.PopString();
    const std::size_t dot = ExtensionDot(file);
    s.Push(TVariant(dot == std::string::npos ? std::string() : file.substr(dot)));
}

void ExtractFileName(TvekScript& s)
{
    const std::string file = s.PopString();
    s.Push(TVariant(file.substr(NameStart(file))));
}

void ExtractFilePath(TvekScript& s)
{
    const std::string file = s.PopString();
    s.Push(TVariant(file.substr(0, NameStart(file))));
}

// The folder part without its separator, except the root, which keeps it.
void ExtractFileDir(TvekScript& s)
{
    const std::string file = s.PopString();
    std::string dir = file.substr(0, NameStart(file));
    if (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    s.Push(TVariant(std::move(dir)));
}

// There are no drive letters here; a network path "//server/share/..." has "//server/share".
void ExtractFileDrive(TvekScript& s)
{
    const std::string file = s.PopString();
    std::string drive;
    if (file.size() > 2 && file[0] == '/' && file[1] == '/') {
        const std::size_t server = file.find('/', 2);
        if (server != std::string::npos && server > 2) {
            const std::size_t share = file.find('/', server + 1);
            drive = file.substr(0, share);
        }
    }
    s.Push(TVariant(std::move(drive)));
}

void ShellExecute(TvekScript& s)
{
    const std::string params = s.PopString();
    const std::string file = s.ExpandFileName(s.PopString());
    s.CheckTimeSoon();
    const QString target = QString::fromStdString(file);
    if (!params.empty()) {
        QProcess::startDetached(target, QProcess::splitCommand(QString::fromStdString(params)));
    } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QDesktopServices::openUrl(QUrl::fromUserInput(target, QString(), QUrl::AssumeLocalFile));
    } else {
        QProcess::startDetached(QStringLiteral("xdg-open"), {target});
    }
}

void DsoBase(TvekScript& s) { s.DataSourceFolder = s.PopString(); }

void SelDir(TvekScript& s)
{
    std::string folder = s.DataSourceFolder;
    s.CheckTimeSoon();
    if (Ui().SelectFolder("Select Directory", folder)) s.DataSourceFolder = folder;
}

const TWordDef kWords[] = {
    {"files", "( folder mask -- list )", Files},
    {"chdir", "( folder -- )", ChDir},
    {"createdir", "( folder -- )", CreateDir},
    {"removedir", "( folder -- )", RemoveDir},
    {"deletefile", "( file -- )", DeleteFile},
    {"renamefile", "( old new -- )", RenameFile},
    {"fileexists", "( file -- bool )", FileExists},
    {"directoryexists", "( folder -- bool )", DirectoryExists},
    {"changefileext", "( file ext -- s )", ChangeFileExt},
    {"extractfiledir", "( file -- s )", ExtractFileDir},
    {"extractfiledrive", "( file -- s )", ExtractFileDrive},
    {"extractfileext", "( file -- s )", ExtractFileExt},
    {"extractfilename", "( file -- s )", ExtractFileName},
    {"extractfilepath", "( file -- s )", ExtractFilePath},
    {"shellexecute", "( file params -- )", ShellExecute},
    {"dsobase", "( folder -- )", DsoBase},
    {"seldir", "( -- )", SelDir},
};

} // namespace

const std::span<const TWordDef> kFileWords(kWords);
