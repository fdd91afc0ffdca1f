#pragma once
#include "script/PagedFile.h"
#include "script/Variant.h"
#include "script/XmlTree.h"

#include <memory>
#include <string>
#include <vector>

// A data source: lines of the form row name "=" attribute list.
class TvekDSO {
public:
    std::string Name;
    std::vector<std::string> Lines;
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const;
};

// Named objects of one run. Names are compared without regard to case; getting a new name creates
// the object.
template <class T>
class TvekNamedList {
public:
    T& Get(const std::string& name, bool* created = nullptr);
    void Clear() { items_.clear(); }
    int Count() const { return static_cast<int>(items_.size()); }

private:
    std::vector<std::pair<std::string, std::unique_ptr<T>>> items_;
};

class TvekDSOList {
public:
    TvekDSO& GetDSO(const std::string& name);
    // The value of key in a row given by number (0-based) or, when the row is not a number, by
    // its name; "~~" read back as CR LF; empty when the key is absent.
    std::string GetField(TvekDSO& dso, const TVariant& row, const std::string& key) const;
    void SetField(TvekDSO& dso, const TVariant& row, const std::string& key, const std::string& value) const;
    void ClearDSOs() { list_.Clear(); }

private:
    std::string& Row(TvekDSO& dso, const TVariant& row) const;
    TvekNamedList<TvekDSO> list_;
};

class TvekXMLList {
public:
    TvekXMLTree& GetTree(const std::string& name);
    void ClearTrees() { list_.Clear(); }

private:
    TvekNamedList<TvekXMLTree> list_;
};

class TvekJPFList {
public:
    TvekPagedFile& GetPagedFile(const std::string& name) { return list_.Get(name); }
    // Closes and frees every file.
    void ClearPagedFiles() { list_.Clear(); }

private:
    TvekNamedList<TvekPagedFile> list_;
};
