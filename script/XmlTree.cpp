#include "script/XmlTree.h"

#include "platform/Errors.h"
#include "script/SetText.h"


using namespace vektext;

namespace {

const char* const CRLF = "\r\n";

// Splits a path at its first "/".
void SplitPath(const std::string& path, std::string& head, std::string& rest)
{
    const size_t slash = path.find('/');
    head = path.substr(0, slash);
    rest = slash == std::string::npos ? std::string() : path.substr(slash + 1);
}

// A token: the prefix, then the text with every CR LF and tab made one blank, trimmed.
std::string MakeToken(const char* prefix, std::string_view s)
{
    std::string out(prefix);
    if (s.find_first_of("\r\t") == std::string_view::npos) {
        const std::string_view t = TrimView(s);
        out.append(t.data(), t.size());
        return out;
    }
    std::string blanked;
    blanked.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
            blanked += ' ';
            ++i;
        } else {
            blanked += s[i] == '\t' ? ' ' : s[i];
        }
    }
    const std::string_view t = TrimView(blanked);
    out.append(t.data(), t.size());
    return out;
}

} // namespace

// ---- nodes

TvekXMLNode::TvekXMLNode(TvekXMLNode* parent, std::string name, std::string value)
    : Name(std::move(name)), Value(std::move(value)), ParentNode(parent)
{
}

TvekXMLNode::~TvekXMLNode()
{
    // Deep trees are taken apart with a work list instead of recursive destructors.
    std::vector<std::unique_ptr<TvekXMLNode>> work = std::move(Nodes);
    while (!work.empty()) {
        std::unique_ptr<TvekXMLNode> node = std::move(work.back());
        work.pop_back();
        for (auto& child : node->Nodes) work.push_back(std::move(child));
        node->Nodes.clear();
    }
}

TvekXMLNode* TvekXMLNode::AddNode(const std::string& name, const std::string& value)
{
    Nodes.push_back(std::make_unique<TvekXMLNode>(this, name, value));
    return Nodes.back().get();
}

TvekXMLAttribute* TvekXMLNode::AddAttribute(const std::string& name, const std::string& value)
{
    Attributes.push_back(std::make_unique<TvekXMLAttribute>(this, name, value));
    return Attributes.back().get();
}

TvekXMLAttribute* TvekXMLNode::GetAttribute(const std::string& name) const
{
    for (const auto& a : Attributes)
        if (a->Name == name) return a.get();
    return nullptr;
}

std::optional<std::string> TvekXMLNode::GetAttributeValue(const std::string& name) const
{
    if (const TvekXMLAttribute* a = GetAttribute(name)) return a->Value;
    return std::nullopt;
}

TvekXMLNode* TvekXMLNode::GetChildByName(const std::string& name) const
{
    for (const auto& n : Nodes)
        if (n->Name == name) return n.get();
    return nullptr;
}

void TvekXMLNode::DeleteAttributeAt(int index)
{
    if (index >= 0 && index < int(Attributes.size())) Attributes.erase(Attributes.begin() + index);
}

void TvekXMLNode::DeleteNodeAt(int index)
{
    if (index >= 0 && index < int(Nodes.size())) Nodes.erase(Nodes.begin() + index);
}

void TvekXMLNode::ClearAttributes() { Attributes.clear(); }

void TvekXMLNode::ClearNodes()
{
    std::vector<std::unique_ptr<TvekXMLNode>> old = std::move(Nodes);
    Nodes.clear();
    TvekXMLNode holder(nullptr, {});
    holder.Nodes = std::move(old); // freed without recursion by the holder's destructor
}

namespace {

// The child a path step names: "name", "name[n]" (0-based among children of that name) or
// "name[end]"; none when there is no such child.
TvekXMLNode* ChildByStep(const TvekXMLNode& node, const std::string& head, std::string* bareName = nullptr)
{
    const size_t bracket = head.find('[');
    std::string name = head.substr(0, bracket);
    if (bareName) *bareName = name;
    if (bracket == std::string::npos) return node.GetChildByName(name);
    const std::string index = head.substr(bracket + 1, head.size() - bracket - 2 + (head.back() == ']' ? 0 : 1));
    if (index == "end") {
        for (auto it = node.Nodes.rbegin(); it != node.Nodes.rend(); ++it)
            if ((*it)->Name == name) return it->get();
        return nullptr;
    }
    long long n = 0;
    if (!ParseInt(index, n) || n < 0 || n >= static_cast<long long>(node.Nodes.size())) return nullptr;
    for (const auto& child : node.Nodes)
        if (child->Name == name && n-- == 0) return child.get();
    return nullptr;
}

} // namespace

TvekXMLNode* TvekXMLNode::FindNode(const std::string& path)
{
    TvekXMLNode* node = this;
    std::string rest = path, head;
    for (;;) {
        if (node->Nodes.empty()) return nullptr;
        if (rest.empty()) return node;
        SplitPath(rest, head, rest);
        TvekXMLNode* found = ChildByStep(*node, head);
        if (!found || rest.empty()) return found;
        node = found;
    }
}

TvekXMLNode* TvekXMLNode::ForceNode(const std::string& path)
{
    TvekXMLNode* node = this;
    std::string rest = path, head;
    while (!rest.empty()) {
        SplitPath(rest, head, rest);
        if (head.find('+') != std::string::npos) {
            std::string name = head;
            std::erase(name, '+');
            node = node->AddNode(name);
            continue;
        }
        // An indexed step uses the child it names; a missing one is created under the bare name,
        // so that no node is ever named with its brackets.
        std::string name;
        TvekXMLNode* found = ChildByStep(*node, head, &name);
        node = found ? found : node->AddNode(name);
    }
    return node;
}

void TvekXMLNode::SetAttributeByPath(const std::string& path, const std::string& name, const std::string& value)
{
    TvekXMLNode* node = ForceNode(path);
    if (TvekXMLAttribute* a = node->GetAttribute(name))
        a->Value = value;
    else
        node->AddAttribute(name, value);
}

TvekXMLAttribute* TvekXMLNode::GetAttributeByPath(const std::string& path, const std::string& name)
{
    TvekXMLNode* node = FindNode(path);
    return node ? node->GetAttribute(name) : nullptr;
}

void TvekXMLNode::DeleteNodeByPath(const std::string& path)
{
    TvekXMLNode* node = FindNode(path);
    if (!node || !node->ParentNode) return; // the tree itself is never removed from itself
    auto& siblings = node->ParentNode->Nodes;
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == node) {
            node->ParentNode->DeleteNodeAt(int(i));
            return;
        }
}

void TvekXMLNode::DeleteAttributeByPath(const std::string& path, const std::string& name)
{
    TvekXMLNode* node = FindNode(path);
    if (!node) return;
    for (size_t i = 0; i < node->Attributes.size(); ++i)
        if (node->Attributes[i]->Name == name) {
            node->DeleteAttributeAt(int(i));
            return;
        }
}

// ---- text form

void TvekXMLNode::AppendAttributes(std::string& out) const
{
    for (const auto& a : Attributes) {
        out += ' ';
        out += a->Name;
        out += "=\"";
        out += a->Value;
        out += '"';
    }
}

void TvekXMLNode::AppendXML(std::string& out, int level) const
{
    const std::string indent(size_t(2 * level), ' ');
    out += indent;
    out += '<';
    out += Name;
    AppendAttributes(out);
    if (Nodes.empty() && Value.empty()) {
        out += " />";
        out += CRLF;
        return;
    }
    out += '>';
    out += CRLF;
    if (!Value.empty()) {
        out += indent;
        out += "  ";
        if (IsCData) {
            std::string text = Value;
            ReplaceAll(text, "\\n ", CRLF);
            ReplaceAll(text, "\\t ", "\t");
            out += "<![CDATA[";
            out += text;
            out += "]]>";
        } else {
            out += Value;
        }
        out += CRLF;
    }
    for (const auto& child : Nodes) child->AppendXML(out, level + 1);
    out += indent;
    out += "</";
    out += Name;
    out += '>';
    out += CRLF;
}

std::string TvekXMLNode::AsXML(int level) const
{
    std::string out;
    AppendXML(out, level);
    return out;
}

// ---- tree

TvekXMLTree::TvekXMLTree(std::string name) : TvekXMLNode(nullptr, std::move(name)) {}

std::string TvekXMLTree::AsText() const
{
    std::string out;
    for (const auto& child : Nodes) child->AppendXML(out, 0);
    return out;
}

std::string TvekXMLTree::AsXMLWithRoot() const
{
    if (Nodes.empty()) return {};
    std::string out = "<" + Name;
    AppendAttributes(out);
    out += '>';
    out += CRLF;
    for (const auto& child : Nodes) child->AppendXML(out, 1);
    out += "</" + Name + ">" + CRLF;
    return out;
}

void TvekXMLTree::LoadFromText(const std::string& text)
{
    ClearNodes();
    ClearAttributes();
    Value.clear();
    Lines = ReadLines(text);
    Tokenize();
    ParseTokens();
}

void TvekXMLTree::LoadFromFile(const std::string& fileName)
{
    std::string text;
    if (!ReadTextFile(fileName, text)) throw EvekFileError("File " + fileName + " does not exist");
    LoadFromText(text);
}

void TvekXMLTree::SaveToFile(const std::string& fileName)
{
    const std::string text = AsText();
    Lines = ReadLines(text);
    if (!WriteTextFile(fileName, WriteLines(Lines))) throw EvekFileError("Can not save to file " + fileName);
}

void TvekXMLTree::Tokenize()
{
    const std::string text = WriteLines(Lines);
    std::vector<std::string> tokens;
    size_t pos = 0;
    const size_t n = text.size();
    while (pos < n) {
        const size_t lt = text.find('<', pos);
        std::string between = MakeToken("TX:", std::string_view(text).substr(pos, lt == std::string::npos ? n - pos : lt - pos));
        if (between.size() > 3) tokens.push_back(std::move(between));
        if (lt == std::string::npos) break;
        if (text.size() - lt >= 9 && UpperCase(std::string_view(text).substr(lt, 9)) == "<![CDATA[") {
            // A section without "]]>" takes the rest of the text.
            const size_t close = text.find("]]>", lt + 9);
            const size_t end = close == std::string::npos ? n : close;
            std::string content = text.substr(lt + 9, end - lt - 9);
            ReplaceAll(content, CRLF, "\\n ");
            ReplaceAll(content, "\t", "\\t ");
            tokens.push_back("CD:" + content);
            pos = close == std::string::npos ? n : close + 3;
            continue;
        }
        const size_t gt = text.find('>', lt + 1);
        if (gt == std::string::npos) {
            pos = lt + 1;
            continue;
        }
        const std::string_view tag = std::string_view(text).substr(lt + 1, gt - lt - 1);
        if (!tag.empty() && tag.front() == '/')
            tokens.push_back(MakeToken("CT:", tag.substr(1)));
        else if (!tag.empty() && tag.back() == '/')
            tokens.push_back(MakeToken("ET:", tag));
        else
            tokens.push_back(MakeToken("OT:", tag));
        pos = gt + 1;
    }
    Lines = std::move(tokens);
}

namespace {

TvekXMLNode* AddNodeFromTag(TvekXMLNode& parent, std::string_view tag)
{
    const size_t blank = tag.find(' ');
    if (blank == std::string::npos) return parent.AddNode(std::string(tag));
    TvekXMLNode* node = parent.AddNode(std::string(tag.substr(0, blank)));
    size_t p = blank + 1;
    for (;;) {
        const size_t eq = tag.find('=', p);
        if (eq == std::string::npos) break;
        const size_t open = tag.find('"', eq + 1);
        if (open == std::string::npos) break;
        const size_t close = tag.find('"', open + 1);
        if (close == std::string::npos) break;
        node->AddAttribute(std::string(TrimView(tag.substr(p, eq - p))), std::string(tag.substr(open + 1, close - open - 1)));
        p = close + 1;
    }
    return node;
}

} // namespace

void TvekXMLTree::ParseTokens()
{
    ClearAttributes();
    ClearNodes();
    NodeCount = 0;
    Name = "root";
    TvekXMLNode* current = this;
    int depth = 0;
    for (const std::string& token : Lines) {
        if (token.size() < 3) continue;
        const std::string_view content = std::string_view(token).substr(3);
        switch (token[0]) {
        case 'O':
            if (++depth > MaxDepth) throw EvekError("XML nesting deeper than " + std::to_string(MaxDepth) + " levels");
            current = AddNodeFromTag(*current, content);
            ++NodeCount;
            break;
        case 'C':
            if (token[1] == 'T') {
                // A closing tag at the root keeps the root current.
                if (current->ParentNode) {
                    current = current->ParentNode;
                    --depth;
                }
            } else {
                current->Value = content;
                current->IsCData = 1;
            }
            break;
        case 'E':
            AddNodeFromTag(*current, content);
            break;
        case 'T':
            current->Value = content;
            current->IsCData = 0;
            break;
        default:
            break;
        }
    }
}
