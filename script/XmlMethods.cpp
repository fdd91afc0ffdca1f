#include "script/DataSource.h"
#include "script/SetFamilies.h"
#include "script/VekScript.h"

#include <algorithm>
#include <filesystem>

// "?" XML trees by name, with the run's selection of nodes and its index.

namespace {

class TXmlRunData : public TScriptRunData {
public:
    TvekXMLList trees;
    std::vector<TvekXMLNode*> selection;
    int index = -1;

    // Nodes about to be freed leave the selection first, so it never points at freed nodes.
    void ForgetNodesUnder(const TvekXMLNode* top)
    {
        std::erase_if(selection, [top](const TvekXMLNode* n) {
            for (; n; n = n->ParentNode)
                if (n == top) return true;
            return false;
        });
    }
};

TXmlRunData& Data(TvekScript& s) { return s.RunData<TXmlRunData>(TScriptFamily::Xml); }
TvekXMLTree& Tree(TvekScript& s) { return Data(s).trees.GetTree(s.CurrentName()); }

void Set(TvekScript& s)
{
    const std::string path = s.PopString();
    const std::string value = s.PopString();
    Tree(s).ForceNode(path)->Value = value;
}

void AttrSet(TvekScript& s)
{
    const std::string path = s.PopString();
    const std::string attr = s.PopString();
    const std::string value = s.PopString();
    Tree(s).SetAttributeByPath(path, attr, value);
}

void Get(TvekScript& s)
{
    const TvekXMLNode* node = Tree(s).FindNode(s.PopString());
    s.Push(TVariant(node ? node->Value : std::string()));
}

void AttrGet(TvekScript& s)
{
    const std::string path = s.PopString();
    const std::string attr = s.PopString();
    const TvekXMLAttribute* a = Tree(s).GetAttributeByPath(path, attr);
    s.Push(TVariant(a ? a->Value : std::string()));
}

void Count(TvekScript& s)
{
    const std::string path = s.PopString();
    const std::string child = s.PopString();
    const TvekXMLNode* node = Tree(s).FindNode(path);
    int n = 0;
    if (node)
        n = int(std::count_if(node->Nodes.begin(), node->Nodes.end(), [&](const auto& c) { return c->Name == child; }));
    s.Push(TVariant(n));
}

void Load(TvekScript& s)
{
    const std::string file = s.ExpandFileName(s.PopString());
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) throw EvekScriptError("File " + file + " does not exist");
    TvekXMLTree& tree = Tree(s);
    Data(s).ForgetNodesUnder(&tree);
    tree.LoadFromFile(file);
    s.CheckTimeSoon();
}

void Save(TvekScript& s)
{
    const std::string file = s.ExpandFileName(s.PopString());
    try {
        Tree(s).SaveToFile(file);
    } catch (const EvekError&) {
        throw EvekScriptError("Can not save to file " + file);
    }
    s.CheckTimeSoon();
}

void AsText(TvekScript& s) { s.Push(TVariant(Tree(s).AsText())); }

void Delete(TvekScript& s)
{
    const std::string path = s.PopString();
    TvekXMLTree& tree = Tree(s);
    TvekXMLNode* node = tree.FindNode(path);
    if (!node || node == &tree) return;
    Data(s).ForgetNodesUnder(node);
    tree.DeleteNodeByPath(path);
}

void AttrDelete(TvekScript& s)
{
    const std::string path = s.PopString();
    const std::string attr = s.PopString();
    Tree(s).DeleteAttributeByPath(path, attr);
}

void Select(TvekScript& s)
{
    std::string path = s.PopString();
    std::replace(path.begin(), path.end(), '\'', '"');
    TXmlRunData& data = Data(s);
    data.selection.clear();
    data.index = -1;
    Tree(s).SelectNodes(path, data.selection);
    s.Push(TVariant(!data.selection.empty()));
}

void SelectFirst(TvekScript& s)
{
    TXmlRunData& data = Data(s);
    data.index = data.selection.empty() ? -1 : 0;
    s.Push(TVariant(data.index == 0));
}

void SelectNext(TvekScript& s)
{
    TXmlRunData& data = Data(s);
    if (data.selection.empty() || data.index + 1 >= int(data.selection.size())) {
        data.index = -1;
        s.Push(TVariant(false));
        return;
    }
    ++data.index;
    s.Push(TVariant(true));
}

TvekXMLNode& Selected(TvekScript& s)
{
    TXmlRunData& data = Data(s);
    if (data.selection.empty()) throw EvekScriptError("XML selection is empty");
    if (data.index == -1) throw EvekScriptError("no XML selection selected");
    if (data.index < 0 || data.index >= int(data.selection.size())) throw EvekScriptError("XML selection out of range");
    return *data.selection[size_t(data.index)];
}

void SelectGet(TvekScript& s) { s.Push(TVariant(Selected(s).Value)); }

void AttrSelectGet(TvekScript& s)
{
    const std::string attr = s.PopString();
    const TvekXMLAttribute* a = Selected(s).GetAttribute(attr);
    s.Push(TVariant(a ? a->Value : std::string()));
}

void Unknown(TvekScript& s) { throw EvekScriptError("invalid xml method specifier " + s.CurrentValue().RawString()); }

const TMethodEntry kXmlMethods[] = {
    {"set", Set},           {"@set", AttrSet},         {"get", Get},
    {"@get", AttrGet},      {"count", Count},          {"load", Load},
    {"save", Save},         {"astext", AsText},        {"delete", Delete},
    {"@delete", AttrDelete}, {"select", Select},       {"selectfirst", SelectFirst},
    {"selectnext", SelectNext}, {"selectget", SelectGet}, {"@selectget", AttrSelectGet},
};

} // namespace

void ResolveXmlMethod(TAtom& atom) { atom.Op = FindMethod(kXmlMethods, atom.Value.RawString(), Unknown); }
