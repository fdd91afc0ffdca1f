// Random token soup and broken fragments: loading and running must end in a result or an
// EvekScriptError, never a crash or a sanitizer finding.
#include "script/VekScript.h"
#include "script/WordTable.h"

#include <gtest/gtest.h>

#include <random>

namespace {

TEST(ScriptHostile, RandomTextsLoadAndRunSafely)
{
    // No repeat (a loop could run to the time limit), no words that touch files, folders or the
    // shell, no dialogs.
    const std::vector<std::string> vocabulary = {
        "dup", "drop", "swap", "if", "else", "endif", "until", ";", "cstr", "cdbl", "cint", "htmltocolor", "ucase",
        "left", "right", "mid", "find", "findlast", "comparetext", "trim", "replace", "replaceall", "regreplace",
        "regreplaceall", "quote", "crlf", "fix", "encodeb64", "decodeb64", "encryptb64", "decryptb64", "hash",
        "datestr", "timestr", "easter", "+", "-", "*", "/", "--", "^", "abs", "sqrt", "frac", "int", "round",
        "trunc", "ln", "exp", "random", "randg", "=", "<>", "<", ">=", "and", "or", "xor", "not", "like", "in",
        "true", "false", "pi", "0", "1", "-1", "2147483647", "-2147483648", "1e308", "2.5", "$7FFFFFFF",
        "2024-02-29", "'abc'", "''", "[1 3 5..9]", "[a \"b]", "'YQ=='", "'[n1:;]'", "'*'", "'[*1:x|y]'",
        "'[1:,]'", "p=", "p", "q=", "q", ">x.get", ">x.set", ")s.get", ")s.set", ">x.bad", "%p", "(*", "*)",
        "\"", "'", "[", "$$", ">", ">x", "&f", "?t", "_d", ":v", "^o", "set.", "html.", "\t", "\r\n", "(*x*)"};
    std::mt19937 rng(20261207);
    int loaded = 0, finished = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int n = static_cast<int>(rng() % 40);
        for (int i = 0; i < n; ++i) text += vocabulary[rng() % vocabulary.size()] + (rng() % 8 ? " " : "");
        TvekScript s;
        s.ScriptTimeOut = 5;
        s.onGetVariable = [](TvekScript& sender, const std::string&, TVariant& value, bool& handled, std::string&) {
            if (sender.StackCount() > 0) value = sender.Pop();
            handled = true;
        };
        try {
            s.SetScript(text);
            ++loaded;
            s.Execute().Text();
            ++finished;
        } catch (const EvekScriptError&) {
        }
    }
    // The soup must exercise both phases, not just fail to load.
    EXPECT_GT(loaded, 300);
    EXPECT_GT(finished, 100);
}

} // namespace
