#include "script/EngineOps.h"
#include "script/ScriptFamilies.h"
#include "script/ScriptText.h"
#include "script/VekScript.h"
#include "script/WordTable.h"

#include <string_view>
#include <unordered_map>

// Turns the text of Script into atoms: includes, line joining, comments, then one pass over the
// tokens. A friend of the component, so that it fills the atom list, the procedure table and uses
// the return stack as the control stack.
class TScriptLoader {
public:
    explicit TScriptLoader(TvekScript& s) : s_(s) {}

    void Load()
    {
        s_.atoms_.clear();
        s_.procedures_.clear();
        s_.rp_ = 0;
        std::string text = s_.script_;
        ExpandIncludes(text);
        text = JoinLines(text);
        text = RemoveComments(text);
        Tokenize(text);
    }

private:
    void ExpandIncludes(std::string& text)
    {
        const long long deadline = TvekScript::TickCount() + static_cast<long long>(s_.ScriptTimeOut) * 1000;
        s_.includedFiles_.clear();
        for (;;) {
            if (TvekScript::TickCount() > deadline)
                throw EvekScriptError("parser timed out after " + std::to_string(s_.ScriptTimeOut) +
                                      " seconds; you may have circular includes");
            const std::size_t start = text.find("$$");
            if (start == std::string::npos) return;
            const std::size_t end = text.find(';', start);
            if (end == std::string::npos) throw EvekScriptError("unterminated include near " + text.substr(start));
            const std::string name = text.substr(start + 2, end - start - 2) + ".vek";
            if (name.find(' ') != std::string::npos)
                throw EvekScriptError("illegal space character in the include file: " + name);
            bool seen = false;
            for (const auto& f : s_.includedFiles_) seen = seen || SameText(f, name);
            if (seen) {
                text.erase(start, end - start + 1);
                continue;
            }
            if (!s_.onInclude)
                throw EvekScriptError("onInclude handler not assigned, can not handle include file: " + text.substr(start));
            std::string value;
            bool handled = false;
            std::string errorStr = "Can not find include file: " + name;
            s_.onInclude(s_, name, value, handled, errorStr);
            if (!handled) throw EvekScriptError(errorStr);
            text.replace(start, end - start + 1, value);
            s_.includedFiles_.push_back(name);
        }
    }

    static std::string JoinLines(const std::string& text)
    {
        std::string out;
        out.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                out += ' ';
                ++i;
            } else {
                out += text[i];
            }
        }
        return std::string(TrimView(out));
    }

    // One pass with the effect of "delete the first comment, search again from the start": after a
    // deletion, a "(" left before it and a "*" after it open a new comment.
    static std::string RemoveComments(const std::string& text)
    {
        std::string out;
        out.reserve(text.size());
        std::size_t i = 0;
        for (;;) {
            std::size_t open = std::string::npos;
            bool joined = false;
            if (!out.empty() && out.back() == '(' && i < text.size() && text[i] == '*') {
                joined = true;
            } else {
                open = text.find("(*", i);
                if (open == std::string::npos) {
                    out.append(text, i);
                    return out;
                }
                out.append(text, i, open - i);
            }
            const std::size_t from = joined ? i : open;
            const std::size_t close = text.find("*)", from);
            if (close == std::string::npos) {
                const std::string rest = joined ? "(" + text.substr(i) : text.substr(open);
                throw EvekScriptError("missing \"*)\" comment terminator near " + rest);
            }
            if (joined) out.pop_back();
            i = close + 2;
        }
    }

    void Tokenize(const std::string& text)
    {
        std::size_t pos = 0;
        const std::string_view t(text);
        for (;;) {
            while (pos < t.size() && IsBlank(t[pos])) ++pos;
            if (pos >= t.size()) break;
            std::string_view token;
            const char first = t[pos];
            if (first == '"' || first == '\'' || first == '[') {
                const char closer = first == '[' ? ']' : first;
                const std::size_t close = t.find(closer, pos + 1);
                if (close == std::string_view::npos) {
                    throw EvekScriptError(std::string(first == '[' ? "unterminated block near " : "unterminated string near ") +
                                          std::string(t.substr(pos)));
                }
                token = t.substr(pos, close + 1 - pos);
                pos = close + 1;
            } else {
                const std::size_t space = t.find(' ', pos);
                if (space == std::string_view::npos) {
                    token = t.substr(pos);
                    pos = t.size();
                } else {
                    token = t.substr(pos, space - pos);
                    pos = space + 1;
                }
            }
            Translate(token, t.substr(pos));
        }
        if (s_.rp_ > 0) {
            const TAtom& open = s_.atoms_[static_cast<std::size_t>(s_.returnStack_[s_.rp_ - 1])];
            throw EvekScriptError(open.Name == "repeat" ? "missing \"until\" at the end of the script"
                                                        : "missing \"endif\" at the end of the script");
        }
        // A definition without a later ";" skips to the end.
        for (int d : openDefinitions_) s_.atoms_[static_cast<std::size_t>(d)].Target = s_.AtomCount();
        openDefinitions_.clear();
    }

    TAtom& Append(std::string_view name, TAtomOp op)
    {
        TAtom& a = s_.atoms_.emplace_back();
        a.Name = std::string(name);
        a.Op = op;
        return a;
    }
    int LastIndex() const { return s_.AtomCount() - 1; }

    void AppendWord(const TWordDef& word)
    {
        const std::string_view name = word.name;
        if (name == "until") {
            const int r = s_.ReturnPop();
            Append(name, word.op).Target = r;
            return;
        }
        Append(name, word.op);
        const int index = LastIndex();
        if (name == "if") {
            s_.ReturnPush(index);
        } else if (name == "else") {
            const int i = s_.ReturnPop();
            s_.atoms_[static_cast<std::size_t>(i)].Target = index + 1;
            s_.ReturnPush(index);
        } else if (name == "endif") {
            const int i = s_.ReturnPop();
            s_.atoms_[static_cast<std::size_t>(i)].Target = index + 1;
        } else if (name == "repeat") {
            s_.ReturnPush(index);
        } else if (name == ";") {
            for (int d : openDefinitions_) s_.atoms_[static_cast<std::size_t>(d)].Target = index + 1;
            openDefinitions_.clear();
        }
    }

    // Rows 4 to 12: a prefixed token cut into name and method, handed to its family.
    void AppendMethod(TScriptFamily family, std::string_view name, std::string_view method)
    {
        TAtom& a = Append(name, nullptr);
        a.Value = TVariant(method);
        FamilyResolver(family)(a);
    }

    struct TPrefix {
        char prefix;
        TScriptFamily family;
        const char* message;
    };
    static constexpr TPrefix kPrefixes[] = {
        {'&', TScriptFamily::PagedFile, "missing xml method specifier near "},
        {'?', TScriptFamily::Xml, "missing xml method specifier near "},
        {'_', TScriptFamily::DataSource, "missing data source method specifier near "},
        {')', TScriptFamily::System, "missing system method specifier near "},
        {'>', TScriptFamily::External, "missing external variable method specifier near "},
        {':', TScriptFamily::Internal, "missing internal variable method specifier near "},
        {'^', TScriptFamily::Object, "missing object variable method specifier near "},
    };

    void Translate(std::string_view token, std::string_view rest)
    {
        if (const TWordDef* word = FindWord(token)) {
            AppendWord(*word);
            return;
        }
        if (token[0] == '[') {
            Append(token, OpPushValue).Value = TVariant(token.substr(1, token.size() - 2));
            return;
        }
        if (token.back() == '=') {
            const std::string_view name = token.substr(0, token.size() - 1);
            Append(name, OpDefine);
            openDefinitions_.push_back(LastIndex());
            s_.procedures_.push_back({std::string(name), LastIndex() + 1});
            procedureIndex_.try_emplace(UpperCase(name), LastIndex() + 1);
            return;
        }
        if (token.starts_with("set.") || token.starts_with("html.")) {
            const bool isSet = token[0] == 's';
            const std::string_view method = token.substr(isSet ? 4 : 5);
            if (method.empty())
                throw EvekScriptError(std::string(isSet ? "missing set method specifier near " : "missing html method specifier near ") +
                                      std::string(rest));
            AppendMethod(isSet ? TScriptFamily::Set : TScriptFamily::Html, isSet ? "set" : "html", method);
            return;
        }
        if (token.size() > 1) {
            for (const TPrefix& p : kPrefixes) {
                if (token[0] != p.prefix) continue;
                const std::size_t dot = token.find('.');
                if (dot == std::string_view::npos || dot < 2 || dot + 1 == token.size())
                    throw EvekScriptError(p.message + std::string(rest));
                AppendMethod(p.family, token.substr(1, dot - 1), token.substr(dot + 1));
                return;
            }
            if (token[0] == '%') {
                Append(token.substr(1), OpPushParam);
                return;
            }
        }
        if (token[0] == '"' || token[0] == '\'') {
            Append(token, OpPushValue).Value = TVariant(token.substr(1, token.size() - 2));
            return;
        }
        int i = 0;
        double d = 0;
        if (ParseIntText(token, i)) {
            Append(token, OpPushValue).Value = TVariant(i);
            return;
        }
        if (ParseDoubleText(token, d)) {
            Append(token, OpPushValue).Value = TVariant(d);
            return;
        }
        // Only the date form: a time of day alone is not a literal.
        if (token.find('-') != std::string_view::npos && token.find(':') == std::string_view::npos &&
            ParseDateText(token, d)) {
            Append(token, OpPushValue).Value = TVariant::Date(d);
            return;
        }
        if (auto p = procedureIndex_.find(UpperCase(token)); p != procedureIndex_.end()) {
            Append(token, OpCall).Target = p->second;
            return;
        }
        throw EvekScriptError("undefined word \"" + std::string(token) + "\" near " + std::string(rest));
    }

    TvekScript& s_;
    std::vector<int> openDefinitions_;
    // Upper-cased procedure name -> body start of its first definition.
    std::unordered_map<std::string, int> procedureIndex_;
};

void TvekScript::Load() { TScriptLoader(*this).Load(); }
