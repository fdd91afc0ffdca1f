#include "app/CliArgs.h"
#include "app/CliImageFiles.h"
#include "app/CommandLine.h"
#include "platform/TBitmap.h"
#include "shapes/ShapeNames.h"
#include "shapes/TvekShape.h"

#include <functional>
#include <string_view>

namespace {

std::string Lower(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return out;
}

TCliUsageError BadValue(const std::string& property, const std::string& value)
{
    return TCliUsageError{"\"" + value + "\" is not a value of " + property};
}

bool BoolValue(const std::string& property, const std::string& value)
{
    const std::string v = Lower(value);
    if (v == "true") return true;
    if (v == "false") return false;
    throw BadValue(property, value);
}

template <std::size_t N>
int NamedValue(const std::array<const char*, N>& names, const std::string& property, const std::string& value)
{
    const int index = NameIndex(names, value, true);
    if (index < 0) throw BadValue(property, value);
    return index;
}

// A text as a form description writes it: 'quoted' with doubled inner quotes, or plain.
std::string TextValue(const std::string& value)
{
    if (value.size() < 2 || value.front() != '\'' || value.back() != '\'') return value;
    std::string out;
    for (std::size_t i = 1; i + 1 < value.size(); ++i) {
        out += value[i];
        if (value[i] == '\'' && value[i + 1] == '\'') ++i;
    }
    return out;
}

// A set of font styles: [fsBold,fsItalic], empty brackets for none.
int FontStyleValue(const std::string& property, const std::string& value)
{
    if (value.size() < 2 || value.front() != '[' || value.back() != ']') throw BadValue(property, value);
    static const std::array<const char*, 4> names = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
    int style = 0;
    std::string_view rest(value.data() + 1, value.size() - 2);
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        while (!item.empty() && item.front() == ' ') item.remove_prefix(1);
        while (!item.empty() && item.back() == ' ') item.remove_suffix(1);
        const int index = NameIndex(names, item, true);
        if (index < 0) throw BadValue(property, value);
        style |= 1 << index;
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }
    return style;
}

using TSetter = std::function<void(TvekShape&, const std::string& property, const std::string& value)>;

struct TStampProperty {
    const char* Name;
    TSetter Set;
};

template <typename F> TSetter WithPen(F change)
{
    return [change](TvekShape& s, const std::string& p, const std::string& v) {
        TPen pen = s.Pen();
        change(pen, p, v);
        s.SetPen(pen);
    };
}
template <typename F> TSetter WithBrush(F change)
{
    return [change](TvekShape& s, const std::string& p, const std::string& v) {
        TBrush brush = s.Brush();
        change(brush, p, v);
        s.SetBrush(brush);
    };
}
template <typename F> TSetter WithFont(F change)
{
    return [change](TvekShape& s, const std::string& p, const std::string& v) {
        TFont font = s.Font();
        change(font, p, v);
        s.SetFont(font);
    };
}

// The published properties of a shape that a stamp can set, as its form description names them.
const std::vector<TStampProperty>& StampProperties()
{
    using S = TvekShape;
    using Str = const std::string&;
    static const std::vector<TStampProperty> table = {
        {"Left", [](S& s, Str, Str v) { s.SetLeft(IntArg(v)); }},
        {"Top", [](S& s, Str, Str v) { s.SetTop(IntArg(v)); }},
        {"Width", [](S& s, Str, Str v) { s.SetWidth(IntArg(v)); }},
        {"Height", [](S& s, Str, Str v) { s.SetHeight(IntArg(v)); }},
        {"Shape", [](S& s, Str p, Str v) { s.SetShape(TvekShapeType(NamedValue(ShapeTypeNames, p, v))); }},
        {"FillDirection",
         [](S& s, Str p, Str v) { s.SetFillDirection(TvekFillDirection(NamedValue(FillDirectionNames, p, v))); }},
        {"Gradient", [](S& s, Str p, Str v) { s.SetGradient(BoolValue(p, v)); }},
        {"GradientColor", [](S& s, Str, Str v) { s.SetGradientColor(ColorArg(v)); }},
        {"Pen.Color", WithPen([](TPen& pen, Str, Str v) { pen.Color = ColorArg(v); })},
        {"Pen.Width", WithPen([](TPen& pen, Str, Str v) { pen.Width = IntArg(v); })},
        {"Pen.Style", WithPen([](TPen& pen, Str p, Str v) { pen.Style = TPenStyle(NamedValue(PenStyleNames, p, v)); })},
        {"Brush.Color", WithBrush([](TBrush& b, Str, Str v) { b.Color = ColorArg(v); })},
        {"Brush.Style",
         WithBrush([](TBrush& b, Str p, Str v) { b.Style = TBrushStyle(NamedValue(BrushStyleNames, p, v)); })},
        {"Caption", [](S& s, Str, Str v) { s.SetCaption(TextValue(v)); }},
        {"CaptionX", [](S& s, Str, Str v) { s.SetCaptionX(IntArg(v)); }},
        {"CaptionY", [](S& s, Str, Str v) { s.SetCaptionY(IntArg(v)); }},
        {"CaptionCentered", [](S& s, Str p, Str v) { s.SetCaptionCentered(BoolValue(p, v)); }},
        {"CaptionAngle", [](S& s, Str, Str v) { s.SetCaptionAngle(IntArg(v)); }},
        {"Font.Name", WithFont([](TFont& f, Str, Str v) { f.Name = TextValue(v); })},
        {"Font.Size", WithFont([](TFont& f, Str, Str v) { f.Size = IntArg(v), f.Height = 0; })},
        {"Font.Height", WithFont([](TFont& f, Str, Str v) { f.Height = IntArg(v); })},
        {"Font.Color", WithFont([](TFont& f, Str, Str v) { f.Color = ColorArg(v); })},
        {"Font.Style", WithFont([](TFont& f, Str p, Str v) { f.Style = FontStyleValue(p, v); })},
        {"UserVectorString",
         [](S& s, Str p, Str v) {
             if (!s.SetUserVectorString(TextValue(v))) throw BadValue(p, v);
         }},
        {"PolyLineMode", [](S& s, Str p, Str v) { s.SetPolyLineMode(BoolValue(p, v)); }},
        {"MouseMode", [](S& s, Str p, Str v) { s.SetMouseMode(TShapeMouseMode(NamedValue(MouseModeNames, p, v))); }},
        {"ActiveMouse", [](S& s, Str p, Str v) { s.SetActiveMouse(BoolValue(p, v)); }},
        {"GroupName", [](S& s, Str, Str v) { s.SetGroupName(TextValue(v)); }},
        {"ConnectorN", [](S& s, Str, Str v) { s.SetConnectorN(TextValue(v)); }},
        {"ConnectorS", [](S& s, Str, Str v) { s.SetConnectorS(TextValue(v)); }},
        {"ConnectorE", [](S& s, Str, Str v) { s.SetConnectorE(TextValue(v)); }},
        {"ConnectorW", [](S& s, Str, Str v) { s.SetConnectorW(TextValue(v)); }},
        {"Name", [](S& s, Str, Str v) { s.SetName(TextValue(v)); }},
        {"Tag", [](S& s, Str, Str v) { s.SetTag(IntArg(v)); }},
        {"Hint", [](S& s, Str, Str v) { s.SetHint(TextValue(v)); }},
    };
    return table;
}

} // namespace

// Loads SRC, stamps one shape into it with the properties given in form-description style, as
// Paint Shape does at the shape's Left and Top, and saves DST.
int CliStamp(const TCliArgs& args)
{
    if (args.size() < 2) throw TCliUsageError{"stamp needs SRC DST [PROPERTY=VALUE]..."};
    TvekShape shape;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const std::string& a = args[i];
        const std::size_t eq = a.find('=');
        if (eq == std::string::npos) throw TCliUsageError{"\"" + a + "\" is not PROPERTY=VALUE"};
        const std::string name = a.substr(0, eq), value = a.substr(eq + 1);
        const TStampProperty* found = nullptr;
        for (const TStampProperty& p : StampProperties())
            if (Lower(p.Name) == Lower(name)) found = &p;
        if (!found) throw TCliUsageError{"Unknown shape property " + name};
        found->Set(shape, found->Name, value);
    }
    TCliImageFiles files(args[0], args[1]);
    TBitmap image = files.Load();
    shape.PaintTo(image.Canvas(), shape.Left(), shape.Top(), 1.0, 1.0);
    files.Save(image);
    return 0;
}
