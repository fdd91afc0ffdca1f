#include "platform/CanvasText.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringDecoder>

#include <algorithm>
#include <map>
#include <mutex>

namespace canvas {
namespace {

// Face names of Windows pictures and scripts, and the installed family that stands in for each.
QString SubstituteFamily(const QString& name)
{
    static const std::map<QString, QString> table = {
        {"arial", "DejaVu Sans"},          {"helvetica", "DejaVu Sans"},
        {"ms sans serif", "DejaVu Sans"},  {"microsoft sans serif", "DejaVu Sans"},
        {"ms shell dlg", "DejaVu Sans"},   {"ms shell dlg 2", "DejaVu Sans"},
        {"tahoma", "DejaVu Sans"},         {"verdana", "DejaVu Sans"},
        {"segoe ui", "DejaVu Sans"},       {"system", "DejaVu Sans"},
        {"trebuchet ms", "DejaVu Sans"},   {"calibri", "DejaVu Sans"},
        {"arial black", "DejaVu Sans"},    {"small fonts", "DejaVu Sans"},
        {"courier", "DejaVu Sans Mono"},   {"courier new", "DejaVu Sans Mono"},
        {"fixedsys", "DejaVu Sans Mono"},  {"terminal", "DejaVu Sans Mono"},
        {"consolas", "DejaVu Sans Mono"},  {"lucida console", "DejaVu Sans Mono"},
        {"times", "DejaVu Serif"},         {"times new roman", "DejaVu Serif"},
        {"ms serif", "DejaVu Serif"},      {"georgia", "DejaVu Serif"},
        {"garamond", "DejaVu Serif"},      {"book antiqua", "DejaVu Serif"},
        {"cambria", "DejaVu Serif"},       {"palatino linotype", "DejaVu Serif"},
    };
    // Batches draw metafiles on several threads at once.
    static std::mutex lock;
    static std::map<QString, QString> resolved;
    std::lock_guard guard(lock);
    if (auto it = resolved.find(name); it != resolved.end()) return it->second;
    QString family = "DejaVu Sans";
    if (!name.isEmpty() && QFontDatabase::hasFamily(name))
        family = name;
    else if (auto it = table.find(name.toLower().trimmed()); it != table.end())
        family = it->second;
    resolved.emplace(name, family);
    return family;
}

} // namespace

QFont MakeFont(const TFont& font)
{
    QFont f(SubstituteFamily(DecodeText(font.Name)));
    // A glyph larger than any image the system accepts is of no use and costs memory.
    constexpr int maxPixels = 4096;
    long long px = font.Height != 0 ? std::abs(static_cast<long long>(font.Height))
                                    : (std::abs(static_cast<long long>(font.Size)) * 96 + 36) / 72;
    px = std::clamp<long long>(px, 1, maxPixels);
    f.setPixelSize(static_cast<int>(px));
    if (font.CellHeight && font.Height != 0) {
        // The largest character height whose cell (ascent plus descent) fits the asked height.
        const int cell = static_cast<int>(px);
        int size = std::max(1, static_cast<int>(px * px / std::max(1, QFontMetrics(f).height())));
        for (int step = 0; step < 8; ++step) {
            f.setPixelSize(size + 1);
            if (QFontMetrics(f).height() > cell) break;
            ++size;
        }
        for (f.setPixelSize(size); size > 1 && QFontMetrics(f).height() > cell; f.setPixelSize(--size)) {
        }
    }
    f.setBold(font.Style & fsBold);
    f.setItalic(font.Style & fsItalic);
    f.setUnderline(font.Style & fsUnderline);
    f.setStrikeOut(font.Style & fsStrikeOut);
    f.setKerning(false);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QString DecodeText(const std::string& text)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) return s;
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace canvas
