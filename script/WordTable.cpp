#include "script/WordTable.h"

#include <unordered_map>

const TWordDef* FindWord(std::string_view token)
{
    // Built once from the family tables; a word name appears in exactly one of them.
    static const std::unordered_map<std::string_view, const TWordDef*> index = [] {
        std::unordered_map<std::string_view, const TWordDef*> m;
        for (auto table : {kStackWords, kTextWords, kPatternWords, kEncodingWords, kFileWords, kDialogWords,
                           kDateWords, kMathWords, kLogicWords})
            for (const TWordDef& w : table) m.emplace(w.name, &w);
        return m;
    }();
    const auto it = index.find(token);
    return it == index.end() ? nullptr : it->second;
}
