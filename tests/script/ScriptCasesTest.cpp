// Runs every script under cases/ (recursively) through TvekScript and checks the expectations
// written inside it as comments, which the loader removes before tokenizing:
//   (* expect: TEXT *)      the result's text form
//   (* kind: KIND *)        the result's kind: Empty Null Int Double Bool String Date
//   (* error: MESSAGE *)    loading or running fails with exactly this message
//   (* param: NAME=VALUE *) a line of Params
//   (* timeout: S *)        ScriptTimeOut
//   (* answer: TEXT *)      an answer queued for the dialogs ("\x18" at the start cancels)
//   (* said: TEXT *)        the texts say showed, in order
//   (* host: on *)          the test host below answers the variable and object events
// Files whose names start with "inc_" are include files, not cases; includes are looked for in
// the case's folder.
#include "script/ScriptSource.h"
#include "script/VekScript.h"

#include "platform/UiServices.h"
#include "tests/common/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

const fs::path kCasesFolder = fs::path(VISTREL_TEST_DATA).parent_path() / "cases";

struct TCase {
    std::string file;
    std::string name;
};

std::vector<TCase> FindCases()
{
    std::vector<TCase> cases;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(kCasesFolder, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file() || it->path().extension() != ".vek") continue;
        if (it->path().filename().string().starts_with("inc_")) continue;
        std::string name = fs::relative(it->path(), kCasesFolder).replace_extension().string();
        std::replace_if(name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
        cases.push_back({it->path().string(), name});
    }
    std::sort(cases.begin(), cases.end(), [](const TCase& a, const TCase& b) { return a.name < b.name; });
    return cases;
}

// Every "(* key: value *)" of the text, in order.
std::vector<std::pair<std::string, std::string>> Directives(const std::string& text)
{
    std::vector<std::pair<std::string, std::string>> out;
    std::size_t pos = 0;
    while ((pos = text.find("(* ", pos)) != std::string::npos) {
        const std::size_t colon = text.find(": ", pos);
        const std::size_t close = text.find(" *)", pos);
        if (colon == std::string::npos || close == std::string::npos || colon > close) {
            pos += 3;
            continue;
        }
        const std::string key = text.substr(pos + 3, colon - pos - 3);
        if (key.find(' ') == std::string::npos) out.emplace_back(key, text.substr(colon + 2, close - colon - 2));
        pos = close + 3;
    }
    return out;
}

const char* KindName(TVarKind k)
{
    switch (k) {
    case TVarKind::Empty: return "Empty";
    case TVarKind::Null: return "Null";
    case TVarKind::Int: return "Int";
    case TVarKind::Double: return "Double";
    case TVarKind::Bool: return "Bool";
    case TVarKind::String: return "String";
    case TVarKind::Date: return "Date";
    }
    return "?";
}

// A host like the main window: variables it answers, a log of what scripts assigned (read back
// through >log.get), and handlers that take further arguments with Pop.
void InstallTestHost(TvekScript& script, std::shared_ptr<std::string> log)
{
    script.onGetVariable = [log](TvekScript& sender, const std::string& symbol, TVariant& value, bool& handled,
                                 std::string& errorStr) {
        if (symbol == "width") {
            value = TVariant(640);
            handled = true;
        } else if (symbol == "sum") { // takes two more arguments from the stack
            const TVariant b = sender.Pop();
            const TVariant a = sender.Pop();
            value = VarAdd(a, b);
            handled = true;
        } else if (symbol == "log") {
            value = TVariant(*log);
            handled = true;
        } else if (symbol == "refuse") {
            errorStr = "the host refuses " + symbol;
        }
    };
    script.onSetVariable = [log](TvekScript& sender, const std::string& symbol, const TVariant& value, bool& handled,
                                 std::string& errorStr) {
        if (symbol == "store") {
            *log += value.Text() + ";";
            handled = true;
        } else if (symbol == "line") { // x1 y1 x2 y2: the last is the value, the others are popped
            std::string args = value.Text();
            for (int i = 0; i < 3; ++i) args = sender.Pop().Text() + " " + args;
            *log += "line " + args + ";";
            handled = true;
        } else if (symbol == "refuse") {
            errorStr = "the host refuses " + symbol;
        }
    };
    script.onGetSystem = [](TvekScript&, const std::string& symbol, const std::string& prompt, TVariant& value,
                            bool& handled, std::string&) {
        if (symbol == "echo") {
            value = TVariant(prompt + "!");
            handled = true;
        }
    };
    script.onSetSystem = [log](TvekScript&, const std::string& symbol, const TVariant& value, bool& handled,
                               std::string&) {
        if (symbol == "mode") {
            *log += "mode=" + value.Text() + ";";
            handled = true;
        }
    };
    script.onGetObject = [](TvekScript&, const std::string& symbol, const std::string& method, TVariant& value,
                            bool& handled, std::string&) {
        if (symbol == "obj") {
            value = TVariant(symbol + "." + method);
            handled = true;
        }
    };
    script.onSetObject = [log](TvekScript&, const std::string& symbol, const std::string& method,
                               const TVariant& value, bool& handled, std::string&) {
        if (symbol == "obj") {
            *log += symbol + "." + method + "=" + value.Text() + ";";
            handled = true;
        }
    };
}

class ScriptCases : public testing::TestWithParam<TCase> {};

TEST_P(ScriptCases, GivesTheExpectedResult)
{
    const TCase& c = GetParam();
    const std::string text = ReadScriptSource(c.file);
    const auto directives = Directives(text);

    TScriptedUi ui;
    TUiScope scope(ui);
    TvekScript script;
    script.onInclude = FileIncludeHandler(fs::path(c.file).parent_path().string());
    std::optional<std::string> expect, kind, error;
    std::vector<std::string> said;
    for (const auto& [key, value] : directives) {
        if (key == "expect") expect = value;
        else if (key == "kind") kind = value;
        else if (key == "error") error = value;
        else if (key == "param") script.Params.push_back(value);
        else if (key == "timeout") script.ScriptTimeOut = std::stoi(value);
        else if (key == "answer") ui.Queue(value == "\\x18" ? std::string("\x18") : value);
        else if (key == "said") said.push_back(value);
        else if (key == "host") InstallTestHost(script, std::make_shared<std::string>());
    }
    ASSERT_TRUE(expect || kind || error) << c.file << " states no expectation";

    try {
        script.SetScript(text);
        const TVariant result = script.Execute();
        ASSERT_FALSE(error) << "expected the error: " << *error << "\nbut the result was: " << result.Text();
        if (expect) EXPECT_EQ(result.Text(), *expect);
        if (kind) EXPECT_STREQ(KindName(result.Kind()), kind->c_str());
    } catch (const EvekError& e) {
        ASSERT_TRUE(error) << "unexpected error: " << e.what();
        EXPECT_EQ(std::string(e.what()), *error);
    }
    if (!said.empty()) EXPECT_EQ(ui.Messages("say"), said);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScriptCases, testing::ValuesIn(FindCases()),
                         [](const testing::TestParamInfo<TCase>& info) { return info.param.name; });

} // namespace
