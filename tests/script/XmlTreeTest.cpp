#include "script/XmlTree.h"
#include "tests/common/TestFiles.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> Names(const std::vector<TvekXMLNode*>& nodes)
{
    std::vector<std::string> names;
    for (const TvekXMLNode* n : nodes) names.push_back(n->Name + "=" + n->Value);
    return names;
}

TEST(XmlTree, ParsesAttributesTextAndEmptyElementsAndWritesThemBack)
{
    TvekXMLTree tree;
    tree.LoadFromText("<a x=\"1\"><b>hi</b><c/></a>");
    ASSERT_EQ(tree.Nodes.size(), 1u);
    TvekXMLNode* a = tree.Nodes[0].get();
    EXPECT_EQ(tree.Name, "root");
    EXPECT_EQ(tree.NodeCount, 2);
    EXPECT_EQ(a->Name, "a");
    EXPECT_EQ(a->GetAttributeValue("x").value_or("?"), "1");
    ASSERT_EQ(a->Nodes.size(), 2u);
    EXPECT_EQ(a->Nodes[0]->Value, "hi");
    EXPECT_EQ(a->Nodes[1]->Name, "c/");
    EXPECT_EQ(tree.AsText(),
              "<a x=\"1\">\r\n"
              "  <b>\r\n"
              "    hi\r\n"
              "  </b>\r\n"
              "  <c/ />\r\n"
              "</a>\r\n");
    EXPECT_EQ(tree.AsXMLWithRoot(),
              "<root>\r\n  <a x=\"1\">\r\n    <b>\r\n      hi\r\n    </b>\r\n    <c/ />\r\n  </a>\r\n</root>\r\n");
}

TEST(XmlTree, TokensNormaliseBlanksAndKeepPrologueAsTags)
{
    TvekXMLTree tree;
    tree.Lines = {"<?xml version=\"1.0\"?>", "<r>", "\t<i  k=\"v\"/>  some", " text </r>", "tail"};
    tree.Tokenize();
    EXPECT_EQ(tree.Lines, (std::vector<std::string>{"OT:?xml version=\"1.0\"?", "OT:r", "ET:i  k=\"v\"/",
                                                    "TX:some  text", "CT:r", "TX:tail"}));
    // A "<" without ">" is skipped, the text around it stays.
    tree.Lines = {"a < b"};
    tree.Tokenize();
    EXPECT_EQ(tree.Lines, (std::vector<std::string>{"TX:a", "TX:b"}));
}

TEST(XmlTree, CDataKeepsLineBreaksAndTabsThroughARoundTrip)
{
    TvekXMLTree tree;
    tree.LoadFromText("<s><![CDATA[one\r\n\ttwo <x>]]></s>");
    ASSERT_EQ(tree.Nodes.size(), 1u);
    EXPECT_EQ(tree.Nodes[0]->Value, "one\\n \\t two <x>");
    EXPECT_EQ(tree.Nodes[0]->IsCData, 1);
    const std::string text = tree.AsText();
    EXPECT_EQ(text, "<s>\r\n  <![CDATA[one\r\n\ttwo <x>]]>\r\n</s>\r\n");
    TvekXMLTree again;
    again.LoadFromText(text);
    EXPECT_EQ(again.AsText(), text);

    // Without "]]>" the section takes the rest of the text and the scan ends.
    tree.LoadFromText("<s><![CDATA[open <t>");
    EXPECT_EQ(tree.Nodes[0]->Value, "open <t>\\n ");
}

TEST(XmlTree, RoundTripsItsOwnTextByteForByte)
{
    TvekXMLTree tree;
    tree.ForceNode("lib/book")->Value = "Dune";
    tree.SetAttributeByPath("lib/book", "id", "7");
    tree.ForceNode("lib/+book")->Value = "Emma";
    tree.ForceNode("lib/empty");
    const std::string text = tree.AsText();
    TTempDir dir;
    tree.SaveToFile(dir.File("t.xml"));
    EXPECT_EQ(ReadWholeFile(dir.File("t.xml")), text);
    TvekXMLTree loaded;
    loaded.LoadFromFile(dir.File("t.xml"));
    EXPECT_EQ(loaded.AsText(), text);
    // LF-only files read as CR LF lines.
    std::string lf = text;
    std::erase(lf, '\r');
    loaded.LoadFromText(lf);
    EXPECT_EQ(loaded.AsText(), text);
}

TEST(XmlTree, ClosingTagsAtTheRootAndDeepNestingAreSafe)
{
    TvekXMLTree tree;
    tree.LoadFromText("</x></y><a>1</a>");
    ASSERT_EQ(tree.Nodes.size(), 1u);
    EXPECT_EQ(tree.Nodes[0]->Value, "1");

    std::string deep;
    for (int i = 0; i < TvekXMLTree::MaxDepth + 1; ++i) deep += "<d>";
    EXPECT_THROW(tree.LoadFromText(deep), std::exception);
    deep.resize(deep.size() - 3);
    tree.LoadFromText(deep);
    EXPECT_EQ(tree.NodeCount, TvekXMLTree::MaxDepth);
}

TEST(XmlTree, FindNodeWithIndexesAndForceNodeWithPlus)
{
    TvekXMLTree tree;
    tree.LoadFromText("<r><item>a</item><item>b</item><other/><item>c</item></r>");
    EXPECT_EQ(tree.FindNode("r/item")->Value, "a");
    EXPECT_EQ(tree.FindNode("r/item[1]")->Value, "b");
    EXPECT_EQ(tree.FindNode("r/item[end]")->Value, "c");
    EXPECT_EQ(tree.FindNode("r/item[5]"), nullptr);
    EXPECT_EQ(tree.FindNode("r/item[x]"), nullptr);
    EXPECT_EQ(tree.FindNode("r/nothing"), nullptr);
    EXPECT_EQ(tree.FindNode(""), &tree);
    // A leaf addressed with a further step is not there.
    EXPECT_EQ(tree.FindNode("r/item/x"), nullptr);
    TvekXMLTree empty;
    EXPECT_EQ(empty.FindNode(""), nullptr);

    EXPECT_EQ(tree.ForceNode("r/item"), tree.FindNode("r/item"));
    TvekXMLNode* added = tree.ForceNode("r/+item");
    EXPECT_EQ(tree.FindNode("r/item[end]"), added);
    EXPECT_EQ(tree.ForceNode("r/item[1]"), tree.FindNode("r/item[1]"));
    tree.ForceNode("r/new/deeper")->Value = "z";
    EXPECT_EQ(tree.FindNode("r/new/deeper")->Value, "z");

    tree.DeleteNodeByPath("r/item[1]");
    EXPECT_EQ(tree.FindNode("r/item[1]")->Value, "c");
    tree.SetAttributeByPath("r/other", "k", "1");
    tree.SetAttributeByPath("r/other", "k", "2");
    EXPECT_EQ(tree.GetAttributeByPath("r/other", "k")->Value, "2");
    tree.DeleteAttributeByPath("r/other", "k");
    EXPECT_EQ(tree.GetAttributeByPath("r/other", "k"), nullptr);
    tree.DeleteNodeByPath("r/missing"); // nothing happens
    tree.DeleteNodeAt(7);
}

TEST(XmlFilter, OperatorsInSearchOrder)
{
    struct Case {
        const char* predicate;
        int op;
        const char* name;
        const char* value;
    } cases[] = {
        {"id $eq$ '7'", xfoEq, "id", "7"},         {"t $ieq$ \"Dune\"", xfoIEq, "t", "Dune"},
        {"a $ine$ b", xfoINe, "a", "b"},           {"a = b", xfoEq, "a", "b"},
        {"a $ne$ x = y", xfoNe, "a", "x = y"},     {"n $lt$ 3", xfoLt, "n", "3"},
        {"name", xfoNone, "name", ""},
    };
    for (const Case& c : cases) {
        TvekXMLFilterAtom atom(c.predicate, false);
        EXPECT_EQ(atom.Operator, c.op) << c.predicate;
        EXPECT_EQ(atom.Name, c.name) << c.predicate;
        EXPECT_EQ(atom.Value, c.value) << c.predicate;
    }
    auto test = [](const char* predicate, const char* v) { return TvekXMLFilterAtom(predicate, false).Test(v); };
    EXPECT_TRUE(test("x $ige$ A", "b"));
    EXPECT_TRUE(test("x $ge$ 9", "10"));   // numbers, not text
    EXPECT_FALSE(test("x $ge$ 1", "abc")); // not a number
    EXPECT_FALSE(test("x $igt$ b", "B"));
    EXPECT_TRUE(test("x $ile$ b", "B"));
    EXPECT_TRUE(test("x $lt$ 2.5", "-1e3"));
    EXPECT_FALSE(test("x $eq$ dune", "Dune"));

    // Parsing stops at an empty predicate or one with an operator but no value.
    EXPECT_EQ(TvekXMLFilter("b[x][][y]").Atoms.size(), 1u);
    EXPECT_EQ(TvekXMLFilter("b[x][y $eq$ ][z]").Atoms.size(), 1u);
    EXPECT_EQ(TvekXMLFilter("b").Name, "b");
}

TEST(XmlFilter, SelectsByAttributesChildrenAndDescendants)
{
    TvekXMLTree tree;
    tree.LoadFromText(
        "<lib><book id=\"7\"><title>dune</title></book><book id=\"8\"><title>Emma</title></book>"
        "<shelf><book id=\"7\"><title>DUNE</title></book><box><book id=\"9\"/></box></shelf></lib>");
    std::vector<TvekXMLNode*> found;
    tree.SelectNodes("lib/book[@id $eq$ '7'][title $ieq$ 'Dune']", found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0]->Nodes[0]->Value, "dune");

    found.clear();
    tree.SelectNodes("//book[@id $eq$ '7']", found);
    EXPECT_EQ(found.size(), 2u);

    found.clear();
    tree.SelectNodes("//book", found);
    EXPECT_EQ(found.size(), 4u);

    found.clear();
    tree.SelectNodes("lib//book/title", found);
    EXPECT_EQ(Names(found), (std::vector<std::string>{"title=dune", "title=Emma", "title=DUNE"}));

    found.clear();
    tree.SelectNodes("lib/book[@* $gt$ 7]", found);
    EXPECT_EQ(found.size(), 1u);

    found.clear();
    tree.SelectNodes("lib/book[@missing]", found);
    tree.SelectNodes("//", found);
    EXPECT_TRUE(found.empty());
}

} // namespace

namespace {

// Every node's parent link points at the node that holds it.
bool ParentsConsistent(const TvekXMLNode& node)
{
    for (const auto& child : node.Nodes)
        if (child->ParentNode != &node || !ParentsConsistent(*child)) return false;
    return true;
}

bool HasAncestorNamed(const TvekXMLNode* node, const std::string& name)
{
    for (node = node->ParentNode; node; node = node->ParentNode)
        if (node->Name == name) return true;
    return false;
}

// Mutated and random texts never crash the reader, the writer or the selections; whatever the reader
// makes of them is a sound tree that reads the same way twice, selections stay below the node they
// start from, and paths create and delete the nodes they name.
TEST(XmlTree, SurvivesMangledText)
{
    const std::string seed =
        "<?xml version=\"1.0\"?><lib a=\"1\" b=\"x\"><book id=\"7\"><title>Dune</title><![CDATA[x\r\ny]]>"
        "</book><e/><f g=\"h\" /></lib><!-- c --></x>";
    const char alphabet[] = "<>/=\"'[]! \r\n\tabAB-?";
    std::uint32_t r = 12345;
    auto next = [&r] { return r = r * 1664525u + 1013904223u; };
    for (int round = 0; round < 3000; ++round) {
        std::string text = seed;
        const int edits = 1 + int(next() % 12);
        for (int e = 0; e < edits; ++e) {
            const size_t at = next() % (text.size() + 1);
            switch (next() % 3) {
            case 0: text.insert(at, 1, alphabet[next() % (sizeof alphabet - 1)]); break;
            case 1: if (at < text.size()) text.erase(at, 1 + next() % 8); break;
            default: if (at < text.size()) text[at] = char(next()); break;
            }
        }
        TvekXMLTree tree;
        tree.LoadFromText(text);
        ASSERT_TRUE(ParentsConsistent(tree)) << text;
        const std::string written = tree.AsText();
        TvekXMLTree twice;
        twice.LoadFromText(text);
        ASSERT_EQ(twice.AsText(), written) << text;

        std::vector<TvekXMLNode*> found;
        tree.SelectNodes("//book[@id $ge$ 7][title $ine$ x]", found);
        for (const TvekXMLNode* node : found) ASSERT_EQ(node->Name, "book") << text;
        found.clear();
        tree.SelectNodes("lib//*", found);
        for (const TvekXMLNode* node : found) ASSERT_TRUE(HasAncestorNamed(node, "lib")) << text;
        tree.FindNode("?xml/lib/book[end]/title");

        TvekXMLNode* c = tree.ForceNode("a/+b/c");
        ASSERT_TRUE(c && c->Name == "c" && c->ParentNode->Name == "b" && c->ParentNode->ParentNode->Name == "a" &&
                    c->ParentNode->ParentNode->ParentNode == &tree)
            << text;
        c->Value = "v";
        TvekXMLNode* xml = tree.GetChildByName("?xml");
        const std::size_t before = xml ? xml->Nodes.size() : 0;
        const bool hadLib = xml && xml->GetChildByName("lib");
        tree.DeleteNodeByPath("?xml/lib");
        if (hadLib) {
            EXPECT_EQ(xml->Nodes.size(), before - 1) << text;
        }
        ASSERT_TRUE(ParentsConsistent(tree)) << text;

        TvekXMLTree again;
        again.LoadFromText(written);
        ASSERT_TRUE(ParentsConsistent(again)) << text;
    }
}

} // namespace
