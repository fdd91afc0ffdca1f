#include "script/DataSource.h"
#include "script/SetFamilies.h"
#include "script/VekScript.h"

// "_" data sources: named lists of row=attributes lines, with files in the data source folder.

namespace {

class TDataSources : public TScriptRunData {
public:
    TvekDSOList list;
};

TvekDSOList& List(TvekScript& s) { return s.RunData<TDataSources>(TScriptFamily::DataSource).list; }
TvekDSO& Dso(TvekScript& s) { return List(s).GetDSO(s.CurrentName()); }
std::string DsoFile(TvekScript& s) { return s.DataSourceFolder + "/" + s.CurrentName() + ".txt"; }

void Set(TvekScript& s)
{
    const TVariant row = s.Pop();
    const std::string attr = s.PopString();
    const std::string value = s.PopString();
    List(s).SetField(Dso(s), row, attr, value);
}

void Get(TvekScript& s)
{
    const TVariant row = s.Pop();
    const std::string attr = s.PopString();
    s.Push(TVariant(List(s).GetField(Dso(s), row, attr)));
}

void Load(TvekScript& s)
{
    Dso(s).LoadFromFile(DsoFile(s));
    s.CheckTimeSoon();
}

void Save(TvekScript& s)
{
    Dso(s).SaveToFile(DsoFile(s));
    s.CheckTimeSoon();
}

void Clear(TvekScript& s) { Dso(s).Lines.clear(); }
void Count(TvekScript& s) { s.Push(TVariant(static_cast<int>(Dso(s).Lines.size()))); }
void Ignore(TvekScript&) {}

const TMethodEntry kDataSourceMethods[] = {
    {"set", Set}, {"get", Get}, {"load", Load}, {"save", Save}, {"clear", Clear}, {"count", Count},
};

} // namespace

void ResolveDataSourceMethod(TAtom& atom) { atom.Op = FindMethod(kDataSourceMethods, atom.Value.RawString(), Ignore); }
