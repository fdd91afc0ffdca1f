#include "script/DataSource.h"

#include "script/ScriptError.h"
#include "script/ScriptText.h"
#include "script/SetText.h"


template <class T>
T& TvekNamedList<T>::Get(const std::string& name, bool* created)
{
    if (created) *created = false;
    for (auto& [itemName, item] : items_)
        if (SameText(itemName, name)) return *item;
    if (created) *created = true;
    items_.emplace_back(name, std::make_unique<T>());
    return *items_.back().second;
}

template class TvekNamedList<TvekDSO>;
template class TvekNamedList<TvekXMLTree>;
template class TvekNamedList<TvekPagedFile>;

void TvekDSO::LoadFromFile(const std::string& fileName)
{
    std::string text;
    if (!vektext::ReadTextFile(fileName, text)) throw EvekScriptError("Cannot open file \"" + fileName + "\"");
    Lines = vektext::ReadLines(text);
}

void TvekDSO::SaveToFile(const std::string& fileName) const
{
    if (!vektext::WriteTextFile(fileName, vektext::WriteLines(Lines))) throw EvekScriptError("Cannot create file \"" + fileName + "\"");
}

TvekDSO& TvekDSOList::GetDSO(const std::string& name)
{
    bool created = false;
    TvekDSO& dso = list_.Get(name, &created);
    if (created) dso.Name = name;
    return dso;
}

std::string& TvekDSOList::Row(TvekDSO& dso, const TVariant& row) const
{
    int index = 0;
    bool isNumber = false;
    switch (row.Kind()) {
    case TVarKind::Int:
    case TVarKind::Double:
    case TVarKind::Bool:
        index = row.ToInt();
        isNumber = true;
        break;
    default: {
        const std::string text = row.Text();
        isNumber = ParseIntText(TrimView(text), index);
        if (!isNumber) {
            for (std::string& line : dso.Lines)
                if (SameText(std::string_view(line).substr(0, line.find('=')), text)) return line;
            throw EvekScriptError("DSO unknown key " + text);
        }
    }
    }
    if (index < 0 || index >= static_cast<int>(dso.Lines.size()))
        throw EvekScriptError("DSO index out of range " + std::to_string(index));
    return dso.Lines[std::size_t(index)];
}

std::string TvekDSOList::GetField(TvekDSO& dso, const TVariant& row, const std::string& key) const
{
    const std::string& line = Row(dso, row);
    const size_t eq = line.find('=');
    return eq == std::string::npos ? std::string() : vektext::AttributeText(std::string_view(line).substr(eq + 1), key);
}

void TvekDSOList::SetField(TvekDSO& dso, const TVariant& row, const std::string& key, const std::string& value) const
{
    std::string& line = Row(dso, row);
    const size_t eq = line.find('=');
    const std::string name = line.substr(0, eq);
    const std::string rest = eq == std::string::npos ? std::string() : line.substr(eq + 1);
    line = name + "=" + vektext::SetAttribute(rest, key, value);
}

TvekXMLTree& TvekXMLList::GetTree(const std::string& name)
{
    bool created = false;
    TvekXMLTree& tree = list_.Get(name, &created);
    if (created) tree.Name = name;
    return tree;
}
