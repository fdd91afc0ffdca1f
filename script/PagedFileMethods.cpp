#include "script/DataSource.h"
#include "script/SetFamilies.h"
#include "script/VekScript.h"

// "&" paged record files by name; every file is closed at the start and end of a run.

namespace {

class TPagedFiles : public TScriptRunData {
public:
    TvekJPFList files;
};

TvekPagedFile& File(TvekScript& s)
{
    s.CheckTimeSoon(); // file work may wait for other users
    return s.RunData<TPagedFiles>(TScriptFamily::PagedFile).files.GetPagedFile(s.CurrentName());
}

void New(TvekScript& s)
{
    const std::string password = s.PopString();
    const std::string user = s.PopString();
    const int pageSize = s.PopInt();
    const std::string file = s.ExpandFileName(s.PopString());
    TvekPagedFile& f = File(s);
    f.CloseFile();
    f.CreateFile(file, pageSize, user, password);
}

void Open(TvekScript& s)
{
    const std::string password = s.PopString();
    const std::string user = s.PopString();
    const std::string file = s.ExpandFileName(s.PopString());
    File(s).OpenFile(file, user, password);
}

void Close(TvekScript& s) { File(s).CloseFile(); }
void Append(TvekScript& s) { File(s).AppendRecord(s.PopString()); }

void Select(TvekScript& s)
{
    const bool lock = s.PopBool();
    const std::string expression = s.PopString();
    File(s).SelectRecords(expression, lock);
}

void OrderBy(TvekScript& s) { File(s).SortRecords(s.PopString()); }
void Count(TvekScript& s) { s.Push(TVariant(File(s).RecordCount())); }

void Find(TvekScript& s)
{
    const int start = s.PopInt();
    const std::string expression = s.PopString();
    s.Push(TVariant(File(s).FindRecord(expression, start)));
}

void Get(TvekScript& s) { s.Push(TVariant(File(s).GetRecord(s.PopInt()))); }

void Update(TvekScript& s)
{
    const std::string record = s.PopString();
    const int i = s.PopInt();
    File(s).UpdateRecord(i, record);
}

void Delete(TvekScript& s) { File(s).DeleteRecord(s.PopInt()); }

void Unknown(TvekScript& s) { throw EvekScriptError("invalid jpf method specifier " + s.CurrentValue().RawString()); }

const TMethodEntry kPagedFileMethods[] = {
    {"new", New},         {"open", Open},   {"close", Close}, {"append", Append},
    {"select", Select},   {"orderby", OrderBy}, {"count", Count}, {"find", Find},
    {"get", Get},         {"update", Update}, {"delete", Delete},
};

} // namespace

void ResolvePagedFileMethod(TAtom& atom) { atom.Op = FindMethod(kPagedFileMethods, atom.Value.RawString(), Unknown); }
