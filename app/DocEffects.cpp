#include "app/VistrelDoc.h"

#include "effects/EffectTable.h"
#include "platform/Errors.h"
#include "platform/UiServices.h"

#include <charconv>
#include <sstream>

namespace {

using D = TVistrelDoc;

const TEffectSetting kSettings[] = {
    {"ButtonizeDepth", &D::ButtonizeDepth, 3, 50, "Enter Buttonize depth (3-50):", 10},
    {"ButtonizeWeight", &D::ButtonizeWeight, 10, 255, "Enter Buttonize weight (10-255):", 120},
    {"FisheyeDepth", &D::FisheyeDepth, 10, 255, "Enter Fisheye depth (10-255):", 40},
    {"GaussianDepth", &D::GaussianDepth, 0, 9, "Enter Gaussian blur depth (0-9):", 3},
    {"MosaicSize", &D::MosaicSize, 2, 20, "Enter Mosaic size (2..20):", 3},
    {"PosterizeDepth", &D::PosterizeDepth, 10, 255, "Enter Posterize depth (10-255):", 100},
    {"SeamlessDepth", &D::SeamlessDepth, 10, 50, "Enter Seamless depth (10-50):", 10},
    {"SolarizeDepth", &D::SolarizeDepth, 2, 255, "Enter Solarize depth (2-255):", 50},
    {"TwistDepth", &D::TwistDepth, 1, 255, "Enter Twist depth (1-255):", 40},
};

struct TEffectStep {
    const TEffect* Effect = nullptr;
    TEffectValues Values;
};

} // namespace

std::span<const TEffectSetting> EffectSettings() { return kSettings; }

std::optional<int> WholeNumber(const std::string& text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const auto last = text.find_last_not_of(" \t");
    const char* begin = text.data() + first + (text[first] == '+' ? 1 : 0);
    const char* end = text.data() + last + 1;
    int value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc{} || ptr != end || begin == end) return std::nullopt;
    return value;
}

int StrictInt(const std::string& text)
{
    const std::optional<int> value = WholeNumber(text);
    if (!value) throw EvekError("'" + text + "' is not a valid integer value");
    return *value;
}

int* TVistrelDoc::EffectSetting(const std::string& name)
{
    for (const TEffectSetting& s : kSettings)
        if (name == s.Name) return &(this->*s.Value);
    return nullptr;
}

void TVistrelDoc::AskEffectSetting(const std::string& name)
{
    for (const TEffectSetting& s : kSettings) {
        if (name != s.Name) continue;
        int& value = this->*s.Value;
        std::string text = std::to_string(value);
        if (!Ui().InputQuery("Effect Settings", s.Prompt, text)) return;
        const int n = WholeNumber(text).value_or(s.NotANumber);
        if (n >= s.Min && n <= s.Max) value = n;
        return;
    }
    throw EvekError("No effect setting " + name);
}

void TVistrelDoc::ShowEffect()
{
    Picture.Assign(WorkBitmap);
    view_.PictureChanged();
}

void TVistrelDoc::RunEffect(const std::string& effectText)
{
    // Every value is worked out first, so that a cancelled colour dialog leaves even the undo copy alone.
    std::vector<TEffectStep> steps;
    std::istringstream stepTexts(effectText);
    std::string stepText;
    while (std::getline(stepTexts, stepText, ';')) {
        std::istringstream words(stepText);
        std::string name, word;
        words >> name;
        TEffectStep step;
        step.Effect = FindEffect(name);
        if (!step.Effect) throw EvekError("Unknown effect " + name);
        while (words >> word) {
            TEffectValue v;
            v.Text = word;
            v.Given = true;
            const std::string settingName = word.substr(0, word.find('/'));
            if (word == "?") {
                TColor color = clWhite;
                if (!Ui().PickColor(color)) return;
                v.Number = color;
            } else if (const int* setting = EffectSetting(settingName)) {
                v.Number = EffectNumber(std::to_string(*setting) + word.substr(settingName.size())).value_or(0);
            } else {
                v.Number = EffectNumber(word).value_or(0); // a word such as a button style stays text
            }
            step.Values.push_back(std::move(v));
        }
        if (step.Values.size() > step.Effect->ArgCount()) throw EvekError("Too many values for " + name);
        step.Values = WithDefaults(*step.Effect, std::move(step.Values));
        steps.push_back(std::move(step));
    }
    PrepareEffect();
    TvekPaintFX fx;
    for (const TEffectStep& step : steps) step.Effect->Run(fx, WorkBitmap, step.Values);
    ShowEffect();
}
