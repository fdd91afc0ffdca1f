#include "app/ScriptHost.h"

#include "app/MenuMap.h"
#include "effects/EffectTable.h"
#include "imaging/ImageIO.h"
#include "platform/ProgramFolder.h"
#include "platform/TCanvas.h"
#include "script/ScriptSource.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <string_view>
#include <vector>

namespace {

using TArgs = std::vector<TVariant>; // in the order the script pushed them

struct TWords {
    TVistrelDoc& doc;
    TvekScript& script;
    TCanvas& Canvas() { return doc.Picture.Canvas(); }
};

bool IsWord(const TVariant& v, std::string_view word) { return v.IsString() && v.ToString() == word; }

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool Contains(const std::string& text, std::string_view part) { return text.find(part) != std::string::npos; }

bool HasExtension(const std::string& fileName, std::initializer_list<std::string_view> list)
{
    const std::string ext = FileExtension(fileName);
    return std::find(list.begin(), list.end(), ext) != list.end();
}

bool FileExists(const std::string& fileName)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(fileName, ec);
}

// ---- >name.get -----------------------------------------------------------------------------------

struct TGetWord {
    const char* Symbol;
    int Pops;
    bool (*Run)(TWords& w, const TArgs& a, TVariant& value);
};

const TGetWord kGetWords[] = {
    {"width", 0, [](TWords& w, const TArgs&, TVariant& v) { v = w.doc.Picture.Width(); return true; }},
    {"height", 0, [](TWords& w, const TArgs&, TVariant& v) { v = w.doc.Picture.Height(); return true; }},
    {"colordepth", 0, [](TWords& w, const TArgs&, TVariant& v) {
         switch (w.doc.Picture.PixelFormat()) {
         case pf4bit: v = 4; return true;
         case pf8bit: v = 8; return true;
         case pf16bit: v = 16; return true;
         case pf24bit: v = 24; return true;
         default: return false;
         }
     }},
    {"textwidth", 1, [](TWords& w, const TArgs& a, TVariant& v) { v = w.Canvas().TextWidth(a[0].ToString()); return true; }},
    {"textheight", 1, [](TWords& w, const TArgs& a, TVariant& v) { v = w.Canvas().TextHeight(a[0].ToString()); return true; }},
};

// ---- >name.set -----------------------------------------------------------------------------------

// The words of the effect, shadow, edge and buttonize commands and the Effects entries they run.
struct TEffectWord {
    std::string_view Symbol, Word;
    const char* Entry;
};

const TEffectWord kEffectWords[] = {
    {"effect", "lighter", "Lighter1"},         {"effect", "darker", "Darker1"},
    {"effect", "contrast", "Contrast1"},       {"effect", "saturation", "Saturation1"},
    {"effect", "posterize", "Posterize1"},     {"effect", "solarize", "Solarize1"},
    {"effect", "invert", "Invert1"},           {"effect", "grayscale", "Grayscale1"},
    {"effect", "antialias", "AntiAlias1"},     {"effect", "gaussianblur", "GaussianBlur1"},
    {"effect", "softenless", "SoftenLess1"},   {"effect", "fisheye", "Fisheye1"},
    {"effect", "mosaic", "Mosaic1"},           {"effect", "twist", "Twist1"},
    {"effect", "whipe", "Whipe1"},             {"effect", "blur", "Soften1"},
    {"effect", "soften", "Soften1"},           {"effect", "mirrorright", "MirrorRight1"},
    {"effect", "mirrordown", "MirrorDown1"},   {"effect", "flipdown", "FlipDown1"},
    {"effect", "flipright", "FlipRight1"},     {"shadow", "upright", "ShadowUpRight1"},
    {"shadow", "upleft", "ShadowUpLeft1"},     {"shadow", "downleft", "ShadowDownLeft1"},
    {"shadow", "downright", "ShadowDownRight1"}, {"edge", "coloremboss", "ColorEmboss1"},
    {"edge", "edgeenhance", "EdgeEnhance1"},   {"edge", "emboss", "Emboss1"},
    {"edge", "findedges", "FindEdges1"},       {"edge", "highpass", "Highpass1"},
    {"edge", "laplace", "Laplace1"},           {"edge", "trace", "Trace1"},
    {"buttonize", "rectangle", "ButtonizeRectangle1"}, {"buttonize", "oval", "ButtonizeOval1"},
    {"buttonize", "ovalmask", "OvalMasked1"},  {"buttonize", "ovalrim", "OvalRimmed1"},
    {"buttonize", "ovalmaskrim", "OvalRimmedmasked1"}, {"buttonize", "ovalframe", "OvalFrame1"},
};

// The effect names of the depth word and the settings they set.
const std::pair<const char*, const char*> kDepthWords[] = {
    {"buttonize", "ButtonizeDepth"}, {"fisheye", "FisheyeDepth"},     {"gaussian", "GaussianDepth"},
    {"mosaic", "MosaicSize"},        {"posterize", "PosterizeDepth"}, {"seamless", "SeamlessDepth"},
    {"solarize", "SolarizeDepth"},   {"twist", "TwistDepth"},
};

template <const char* Symbol>
bool EffectWord(TWords& w, const TArgs& a)
{
    for (const TEffectWord& e : kEffectWords)
        if (e.Symbol == Symbol && IsWord(a[0], e.Word)) {
            w.doc.RunEffect(FindMenuEntry(e.Entry)->Effect);
            return true;
        }
    return false;
}

constexpr char kEffect[] = "effect", kShadow[] = "shadow", kEdge[] = "edge", kButtonize[] = "buttonize";

bool DepthWord(TWords& w, const TArgs& a)
{
    const std::string effect = a[0].ToString();
    const int n = a[1].ToInt();
    for (const auto& [name, setting] : kDepthWords) {
        if (effect != name) continue;
        // A single blur call cannot be stopped by the time-out, so a depth that would run for
        // minutes is refused.
        if (std::string_view(setting) == "GaussianDepth" && n > kMaxGaussianDepth) return false;
        *w.doc.EffectSetting(setting) = n;
        return true;
    }
    return false;
}

bool OpenWord(TWords& w, const TArgs& a)
{
    const std::string file = a[0].ToString();
    if (!FileExists(file) || !ScriptCanOpen(file)) return false;
    return w.doc.LoadFile(file);
}

bool ConvertWord(TWords& w, const TArgs& a)
{
    const std::string source = w.script.ExpandFileName(a[0].ToString());
    const std::string target = w.script.ExpandFileName(a[1].ToString());
    if (!FileExists(source) || !ScriptCanOpen(source) || !ScriptCanSave(target)) return false;
    TBitmap image;
    TImageFileSettings settings = w.doc.FileSettings;
    // Only a picture that was read may be written under the new name.
    return LoadImageFile(source, image, settings) == TLoadResult::lrLoaded && SaveImageFile(target, image, settings);
}

struct TSetWord {
    const char* Symbol;
    int Args;
    bool (*Run)(TWords& w, const TArgs& a);
};

int I(const TArgs& a, std::size_t i) { return a[i].ToInt(); }

// clang-format off
const TSetWord kSetWords[] = {
    {"line", 4, [](TWords& w, const TArgs& a) { w.Canvas().MoveTo(I(a, 0), I(a, 1)); w.Canvas().LineTo(I(a, 2), I(a, 3)); return true; }},
    {"rectangle", 4, [](TWords& w, const TArgs& a) { w.Canvas().Rectangle(I(a, 0), I(a, 1), I(a, 2), I(a, 3)); return true; }},
    {"ellipse", 4, [](TWords& w, const TArgs& a) { w.Canvas().Ellipse(I(a, 0), I(a, 1), I(a, 2), I(a, 3)); return true; }},
    {"pie", 8, [](TWords& w, const TArgs& a) {
        w.Canvas().Pie(I(a, 0), I(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5), I(a, 6), I(a, 7)); return true; }},
    {"arc", 8, [](TWords& w, const TArgs& a) {
        w.Canvas().Arc(I(a, 0), I(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5), I(a, 6), I(a, 7)); return true; }},
    {"chord", 8, [](TWords& w, const TArgs& a) {
        w.Canvas().Chord(I(a, 0), I(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5), I(a, 6), I(a, 7)); return true; }},
    {"roundrect", 6, [](TWords& w, const TArgs& a) {
        w.Canvas().RoundRect(I(a, 0), I(a, 1), I(a, 2), I(a, 3), I(a, 4), I(a, 5)); return true; }},
    {"text", 3, [](TWords& w, const TArgs& a) { w.Canvas().TextOut(I(a, 1), I(a, 2), a[0].ToString()); return true; }},
    {"textangle", 4, [](TWords& w, const TArgs& a) {
        TvekPaintFX().TextAngle(w.Canvas(), I(a, 1), I(a, 2), I(a, 3), a[0].ToString(), w.Canvas().Font); return true; }},
    {"pensize", 1, [](TWords& w, const TArgs& a) { w.Canvas().Pen.Width = I(a, 0); return true; }},
    {"pencolor", 1, [](TWords& w, const TArgs& a) { w.Canvas().Pen.Color = static_cast<TColor>(I(a, 0)); return true; }},
    {"penstyle", 1, [](TWords& w, const TArgs& a) {
        if (IsWord(a[0], "pssolid")) w.Canvas().Pen.Style = psSolid;
        else if (IsWord(a[0], "psclear")) w.Canvas().Pen.Style = psClear;
        else return false;
        return true; }},
    {"brushcolor", 1, [](TWords& w, const TArgs& a) { w.Canvas().Brush.Color = static_cast<TColor>(I(a, 0)); return true; }},
    {"brushstyle", 1, [](TWords& w, const TArgs& a) {
        if (IsWord(a[0], "bssolid")) w.Canvas().Brush.Style = bsSolid;
        else if (IsWord(a[0], "bsclear")) w.Canvas().Brush.Style = bsClear;
        else return false;
        return true; }},
    {"fontname", 1, [](TWords& w, const TArgs& a) { w.Canvas().Font.Name = a[0].ToString(); return true; }},
    {"fontcolor", 1, [](TWords& w, const TArgs& a) { w.Canvas().Font.Color = static_cast<TColor>(I(a, 0)); return true; }},
    {"fontsize", 1, [](TWords& w, const TArgs& a) { w.Canvas().Font.Size = I(a, 0); return true; }},
    {"fontstyle", 1, [](TWords& w, const TArgs& a) {
        const std::string style = Lower(a[0].ToString());
        int& bits = w.Canvas().Font.Style;
        bits = 0;
        if (Contains(style, "bold")) bits |= fsBold;
        if (Contains(style, "italic")) bits |= fsItalic;
        if (Contains(style, "underline")) bits |= fsUnderline;
        return true; }},
    {"effect", 1, EffectWord<kEffect>},
    {"shadow", 1, EffectWord<kShadow>},
    {"edge", 1, EffectWord<kEdge>},
    {"buttonize", 1, EffectWord<kButtonize>},
    {"depth", 2, DepthWord},
    {"weight", 2, [](TWords& w, const TArgs& a) {
        if (a[0].ToString() != "buttonize") return false;
        w.doc.ButtonizeWeight = I(a, 1);
        return true; }},
    {"colordepth", 1, [](TWords& w, const TArgs& a) { return w.doc.ColorDepth(I(a, 0)); }},
    {"resizewidth", 1, [](TWords& w, const TArgs& a) { return w.doc.ResizeKeepAspect(I(a, 0), true); }},
    {"resizeheight", 1, [](TWords& w, const TArgs& a) { return w.doc.ResizeKeepAspect(I(a, 0), false); }},
    {"open", 1, OpenWord},
    {"save", 1, [](TWords& w, const TArgs& a) {
        const std::string file = a[0].ToString();
        return ScriptCanSave(file) && SaveImageFile(file, w.doc.Picture, w.doc.FileSettings); }},
    {"convert", 2, ConvertWord},
};
// clang-format on

// The event's value is the last argument; the others are popped from the stack, all of them before
// the word acts.
TArgs TakeArgs(TvekScript& script, const TVariant* value, int count)
{
    TArgs args(static_cast<std::size_t>(count));
    int i = count;
    if (value && i > 0) args[--i] = *value;
    while (i > 0) args[--i] = script.Pop();
    return args;
}

} // namespace

bool ScriptCanOpen(const std::string& fileName)
{
    return HasExtension(fileName, {".BMP", ".ICO", ".WMF", ".JPG", ".GIF", ".PNG", ".TGA", ".TIF"});
}

bool ScriptCanSave(const std::string& fileName)
{
    return HasExtension(fileName, {".BMP", ".ICO", ".JPG", ".GIF", ".PNG", ".TIF"});
}

TScriptHost::TScriptHost(TvekScript& script, TVistrelDoc& doc) : script_(script), doc_(doc)
{
    script_.onGetVariable = [this](TvekScript& sender, const std::string& symbol, TVariant& value, bool& handled,
                                   std::string&) { GetVariable(sender, symbol, value, handled); };
    script_.onSetVariable = [this](TvekScript& sender, const std::string& symbol, const TVariant& value,
                                   bool& handled, std::string&) { SetVariable(sender, symbol, value, handled); };
}

TScriptHost::~TScriptHost()
{
    script_.onGetVariable = nullptr;
    script_.onSetVariable = nullptr;
}

TVariant TScriptHost::RunFile(const std::string& fileName)
{
    const std::string text = ReadScriptSource(fileName);
    doc_.PrepareEffect();
    script_.ProgramFolder = ProgramFolder();
    if (script_.DataSourceFolder.empty())
        script_.DataSourceFolder = ProgramFolder().substr(0, ProgramFolder().size() - 1);
    script_.onInclude = FileIncludeHandler(std::filesystem::path(fileName).parent_path().string());
    script_.SetScript(text);
    return script_.Execute();
}

void TScriptHost::GetVariable(TvekScript& sender, const std::string& symbol, TVariant& value, bool& handled)
{
    for (const TGetWord& word : kGetWords) {
        if (symbol != word.Symbol) continue;
        const TArgs args = TakeArgs(sender, nullptr, word.Pops);
        TWords words{doc_, sender};
        TVariant result = value;
        if (word.Run(words, args, result)) {
            value = std::move(result);
            handled = true;
        }
        return;
    }
}

void TScriptHost::SetVariable(TvekScript& sender, const std::string& symbol, const TVariant& value, bool& handled)
{
    for (const TSetWord& word : kSetWords) {
        if (symbol != word.Symbol) continue;
        const TArgs args = TakeArgs(sender, &value, word.Args);
        TWords words{doc_, sender};
        handled = word.Run(words, args);
        return;
    }
}
