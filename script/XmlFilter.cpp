#include "script/SetText.h"
#include "script/XmlTree.h"

#include <memory>

using namespace vektext;

namespace {

struct TFilterOperator {
    const char* text;
    int code;
};

// In search order: the first operator found in a predicate wins, so " $ine$ " is looked for after
// " $ne$ " and " = " last of all.
const TFilterOperator FilterOperators[] = {
    {" $ne$ ", xfoNe},   {" $ine$ ", xfoINe}, {" $ge$ ", xfoGe},   {" $ige$ ", xfoIGe},
    {" $gt$ ", xfoGt},   {" $igt$ ", xfoIGt}, {" $le$ ", xfoLe},   {" $ile$ ", xfoILe},
    {" $lt$ ", xfoLt},   {" $ilt$ ", xfoILt}, {" $eq$ ", xfoEq},   {" $ieq$ ", xfoIEq},
    {" = ", xfoEq},
};

std::string Unquote(std::string s)
{
    if (!s.empty() && (s.front() == '"' || s.front() == '\'')) s.erase(0, 1);
    if (!s.empty() && (s.back() == '"' || s.back() == '\'')) s.pop_back();
    return s;
}

} // namespace

TvekXMLFilterAtom::TvekXMLFilterAtom(const std::string& predicate, bool isAttribute)
    : IsAttribute(isAttribute ? 1 : 0)
{
    for (const TFilterOperator& op : FilterOperators) {
        const size_t at = predicate.find(op.text);
        if (at == std::string::npos) continue;
        Name = std::string(TrimView(std::string_view(predicate).substr(0, at)));
        const std::string value(TrimView(std::string_view(predicate).substr(at + std::char_traits<char>::length(op.text))));
        Operator = op.code;
        Value = Unquote(value);
        valid_ = !Name.empty() && !value.empty();
        return;
    }
    Name = std::string(TrimView(predicate));
    valid_ = !predicate.empty();
}

bool TvekXMLFilterAtom::Valid() const { return valid_; }

bool TvekXMLFilterAtom::Test(const std::string& v) const
{
    auto numeric = [&](auto cmp) {
        double a = 0, b = 0;
        return ParseFloat(v, a) && ParseFloat(Value, b) && cmp(a, b);
    };
    switch (Operator) {
    case xfoNone: return true;
    case xfoEq: return v == Value;
    case xfoIEq: return SameText(v, Value);
    case xfoNe: return v != Value;
    case xfoINe: return !SameText(v, Value);
    case xfoGe: return numeric([](double a, double b) { return a >= b; });
    case xfoIGe: return CompareText(v, Value) >= 0;
    case xfoLe: return numeric([](double a, double b) { return a <= b; });
    case xfoILe: return CompareText(v, Value) <= 0;
    case xfoGt: return numeric([](double a, double b) { return a > b; });
    case xfoIGt: return CompareText(v, Value) > 0;
    case xfoLt: return numeric([](double a, double b) { return a < b; });
    case xfoILt: return CompareText(v, Value) < 0;
    default: return false;
    }
}

TvekXMLFilter::TvekXMLFilter(const std::string& filter)
{
    const size_t first = filter.find('[');
    Name = filter.substr(0, first);
    size_t pos = first;
    while (pos != std::string::npos && pos < filter.size()) {
        const size_t open = filter.find('[', pos);
        if (open == std::string::npos) break;
        const size_t close = filter.find(']', open + 1);
        std::string predicate = filter.substr(open + 1, close == std::string::npos ? std::string::npos : close - open - 1);
        if (predicate.empty()) break;
        const bool isAttribute = predicate[0] == '@';
        if (isAttribute) predicate.erase(0, 1);
        TvekXMLFilterAtom atom(predicate, isAttribute);
        if (!atom.Valid()) break;
        Atoms.push_back(std::move(atom));
        pos = close == std::string::npos ? std::string::npos : close + 1;
    }
}

bool TvekXMLNode::Matches(const TvekXMLFilter& filter) const
{
    if (Name != filter.Name) return false;
    for (const TvekXMLFilterAtom& atom : filter.Atoms) {
        if (atom.IsAttribute && atom.Name == "*") {
            bool any = false;
            for (const auto& a : Attributes)
                if (atom.Test(a->Value)) {
                    any = true;
                    break;
                }
            if (!any) return false;
        } else if (atom.IsAttribute) {
            const TvekXMLAttribute* a = GetAttribute(atom.Name);
            if (!a || !atom.Test(a->Value)) return false;
        } else {
            const TvekXMLNode* child = GetChildByName(atom.Name);
            if (!child || !atom.Test(child->Value)) return false;
        }
    }
    return true;
}

namespace {

// Filters parsed once per selection: a descendant search meets the same step at every node.
class TFilterCache {
public:
    const TvekXMLFilter& Get(std::string_view text)
    {
        for (const auto& [key, filter] : filters_)
            if (key == text) return *filter;
        filters_.emplace_back(std::string(text), std::make_unique<TvekXMLFilter>(std::string(text)));
        return *filters_.back().second;
    }

private:
    std::vector<std::pair<std::string, std::unique_ptr<TvekXMLFilter>>> filters_;
};

// The selection walk; path has its leading "//" taken off into descendant.
void SelectInto(const TvekXMLNode& node, std::string_view path, bool descendant, std::vector<TvekXMLNode*>& list,
                TFilterCache& filters)
{
    if (node.Nodes.empty() || path.empty()) return; // "//" alone names nothing
    const size_t slash = path.find('/');
    if (slash != std::string_view::npos) {
        const TvekXMLFilter& filter = filters.Get(path.substr(0, slash));
        // A "//" after the head stays with the remainder: it asks for a descendant search below.
        const bool restDescendant = path.substr(slash, 2) == "//";
        const std::string_view rest = path.substr(slash + (restDescendant ? 2 : 1));
        for (const auto& child : node.Nodes) {
            if (child->Matches(filter))
                SelectInto(*child, rest, restDescendant, list, filters);
            else if (descendant)
                SelectInto(*child, path, true, list, filters);
        }
        return;
    }
    const TvekXMLFilter& filter = filters.Get(path);
    for (const auto& child : node.Nodes) {
        if (child->Matches(filter))
            list.push_back(child.get());
        else if (descendant)
            SelectInto(*child, path, true, list, filters);
    }
}

} // namespace

void TvekXMLNode::SelectNodes(const std::string& path, std::vector<TvekXMLNode*>& list)
{
    TFilterCache filters;
    const bool descendant = path.rfind("//", 0) == 0;
    SelectInto(*this, std::string_view(path).substr(descendant ? 2 : 0), descendant, list, filters);
}
