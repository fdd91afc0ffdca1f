#include "script/ScriptText.h"
#include "script/SetFamilies.h"
#include "script/VekScript.h"

// "html." methods: the case of tags changes, text and comments stay as they are.

namespace {

template <char (*Convert)(char)>
void ConvertTags(TvekScript& s)
{
    std::string text = s.PopString();
    size_t pos = 0;
    while ((pos = text.find('<', pos)) != std::string::npos) {
        if (text.compare(pos, 4, "<!--") == 0) {
            const size_t close = text.find("-->", pos + 4);
            if (close == std::string::npos) break;
            pos = close + 3;
            continue;
        }
        const size_t close = text.find('>', pos);
        if (close == std::string::npos) break;
        for (size_t i = pos; i < close; ++i) text[i] = Convert(text[i]);
        pos = close + 1;
    }
    s.Push(TVariant(std::move(text)));
}

void Unknown(TvekScript& s)
{
    throw EvekScriptError("unrecognized HTML method " + s.CurrentName() + "." + s.CurrentValue().RawString());
}

const TMethodEntry kHtmlMethods[] = {
    {"lcase", ConvertTags<LowerChar>},
    {"ucase", ConvertTags<UpperChar>},
};

} // namespace

void ResolveHtmlMethod(TAtom& atom) { atom.Op = FindMethod(kHtmlMethods, atom.Value.RawString(), Unknown); }
