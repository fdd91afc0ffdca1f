#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A small XML tree: the text is cut at angle brackets into tokens, the tokens build nodes with
// attributes and one text value each, and the tree is written back indented by two blanks a level.
// It neither validates nor decodes entities: what was read is what is written.

class TvekXMLNode;
class TvekXMLFilter;

class TvekXMLAttribute {
public:
    TvekXMLAttribute(TvekXMLNode* owner, std::string name, std::string value)
        : Name(std::move(name)), Value(std::move(value)), Owner(owner) {}
    std::string Name;
    std::string Value;
    TvekXMLNode* Owner;
};

class TvekXMLNode {
public:
    TvekXMLNode(TvekXMLNode* parent, std::string name, std::string value = {});
    virtual ~TvekXMLNode();
    TvekXMLNode(const TvekXMLNode&) = delete;
    TvekXMLNode& operator=(const TvekXMLNode&) = delete;

    std::string Name;
    // The node's text; a CDATA value keeps its line breaks as "\n " and tabs as "\t ".
    std::string Value;
    unsigned char IsCData = 0;
    std::vector<std::unique_ptr<TvekXMLNode>> Nodes;
    std::vector<std::unique_ptr<TvekXMLAttribute>> Attributes;
    TvekXMLNode* ParentNode;

    TvekXMLNode* AddNode(const std::string& name, const std::string& value = {});
    TvekXMLAttribute* AddAttribute(const std::string& name, const std::string& value);
    TvekXMLAttribute* GetAttribute(const std::string& name) const;
    std::optional<std::string> GetAttributeValue(const std::string& name) const;
    TvekXMLNode* GetChildByName(const std::string& name) const;
    void DeleteAttributeAt(int index);
    void DeleteNodeAt(int index);
    void ClearAttributes();
    void ClearNodes();

    TvekXMLNode* FindNode(const std::string& path);
    TvekXMLNode* ForceNode(const std::string& path);
    void SelectNodes(const std::string& path, std::vector<TvekXMLNode*>& list);
    void SetAttributeByPath(const std::string& path, const std::string& name, const std::string& value);
    TvekXMLAttribute* GetAttributeByPath(const std::string& path, const std::string& name);
    void DeleteNodeByPath(const std::string& path);
    void DeleteAttributeByPath(const std::string& path, const std::string& name);
    bool Matches(const TvekXMLFilter& filter) const;
    std::string AsXML(int level) const;
    // AsXML appended to out, for writing whole trees without copies.
    void AppendXML(std::string& out, int level) const;

protected:
    void AppendAttributes(std::string& out) const;
};

class TvekXMLTree : public TvekXMLNode {
public:
    explicit TvekXMLTree(std::string name = "root");

    // The file's text, then its tokens ("OT:", "CT:", "ET:", "TX:", "CD:" and the content).
    std::vector<std::string> Lines;
    int NodeCount = 0;

    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName);
    // Reads XML text as LoadFromFile reads a file.
    void LoadFromText(const std::string& text);
    std::string AsText() const;
    std::string AsXMLWithRoot() const;
    void Tokenize();
    void ParseTokens();

    // Nesting deeper than this is refused, so that hostile text cannot exhaust the stack of the
    // recursive tree walks.
    static constexpr int MaxDepth = 4000;
};

// Comparison operators of filter atoms.
enum : int {
    xfoNone = 0, xfoEq = 1, xfoIEq = 2, xfoNe = 3, xfoINe = 4, xfoGe = 5, xfoIGe = 6,
    xfoLe = 7, xfoILe = 8, xfoGt = 9, xfoIGt = 10, xfoLt = 11, xfoILt = 12
};

class TvekXMLFilterAtom {
public:
    // Reads one predicate (the text between brackets, without a leading "@").
    TvekXMLFilterAtom(const std::string& predicate, bool isAttribute);
    std::string Name;
    int Operator = xfoNone;
    std::string Value;
    unsigned char IsAttribute = 0;
    // Whether the predicate was complete enough to keep.
    bool Valid() const;
    bool Test(const std::string& nodeValue) const;

private:
    bool valid_ = true;
};

class TvekXMLFilter {
public:
    explicit TvekXMLFilter(const std::string& filter);
    std::string Name;
    std::vector<TvekXMLFilterAtom> Atoms;
};
