#include "app/MenuMap.h"
#include "app/VistrelF.h"
#include "platform/ProgramFolder.h"
#include "platform/UiServices.h"
#include "tests/app/WindowFixture.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

namespace {

class MenuMapTest : public WindowFixture {
protected:
    TUiScope scope_{ui_};
};

// The caption without the key text a shared shortcut adds after a tab.
QString Caption(const QAction* action) { return action->text().section('\t', 0, 0); }

TEST_F(MenuMapTest, TheMenuBarIsBuiltFromTheTableInMenuOrder)
{
    const auto map = MainMenuMap();
    // Walk the built menus depth first; the order must be the table's.
    std::vector<QAction*> built;
    std::function<void(QMenu*)> walk = [&](QMenu* menu) {
        for (QAction* a : menu->actions()) {
            built.push_back(a);
            if (a->menu()) walk(a->menu());
        }
    };
    for (QAction* title : window_->menuBar()->actions()) {
        built.push_back(title);
        walk(title->menu());
    }
    ASSERT_EQ(built.size(), map.size());
    for (std::size_t i = 0; i < map.size(); ++i) {
        const TMenuEntry& e = map[i];
        const QAction* a = built[i];
        SCOPED_TRACE(e.Name);
        EXPECT_EQ(a, window_->Action(e.Name));
        if (std::string(e.Caption) == "-") {
            EXPECT_TRUE(a->isSeparator());
            continue;
        }
        EXPECT_EQ(Caption(a).toStdString(), e.Caption);
        if (a->menu()) continue;
        EXPECT_EQ(a->isCheckable(), (e.Flags & (mfCheckable | mfChecked)) != 0);
        EXPECT_EQ(a->isChecked(), (e.Flags & mfChecked) != 0);
        EXPECT_EQ(a->isEnabled(), StartsEnabled(e));
        QKeySequence key(QString::fromUtf8(e.Shortcut));
        if (a->shortcut().isEmpty())
            EXPECT_EQ(a->text().section('\t', 1), key.toString(QKeySequence::NativeText));
        else
            EXPECT_EQ(a->shortcut(), key);
    }
}

TEST_F(MenuMapTest, CaptionsAndKeysOfTheMenuMap)
{
    std::vector<std::string> titles;
    for (QAction* title : window_->menuBar()->actions()) titles.push_back(title->text().toStdString());
    EXPECT_EQ(titles, (std::vector<std::string>{"&File", "&Edit", "&Options", "&Png", "&Effects", "&Tools", "&Help"}));

    const std::map<std::string, std::pair<const char*, const char*>> keys = {
        {"Open1", {"&Open...", "Ctrl+O"}},          {"RunScript1", {"&Run Script....", "F9"}},
        {"Undolast1", {"&Undo last", "Ctrl+Z"}},    {"PaintOverlay1", {"Paint &Overlay", "Shift+F9"}},
        {"Turn1", {"&Turn", "Ctrl+T"}},             {"ShowImageInfo1", {"Show Image Info", "Ctrl+I"}},
        {"ViewShape1", {"&View Shape", "F3"}},      {"ViewOverlay1", {"View &Overlay", "F4"}},
        {"Lighter1", {"Lighter", "F5"}},            {"Darker1", {"Darker", "F6"}},
        {"Contrast1", {"Contrast", "F7"}},          {"Saturation1", {"Saturation", "F8"}},
        {"previewtiled1", {"preview tiled", "F2"}}, {"previewtransparent1", {"preview transparent", "Ctrl+F2"}},
        {"RefreshFiles1", {"&Refresh Files", "F12"}}, {"Contents1", {"&Contents", "F1"}},
        {"Quit1", {"&Quit", "Ctrl+Q"}},
    };
    for (const auto& [name, expected] : keys) {
        QAction* a = window_->Action(name);
        ASSERT_NE(a, nullptr) << name;
        EXPECT_EQ(a->text().toStdString(), expected.first) << name;
        EXPECT_EQ(a->shortcut(), QKeySequence(expected.second)) << name;
    }

    // Run Script owns F9; Paint Shape shows the key but does not take it, so the key is not ambiguous.
    QAction* paintShape = window_->Action("PaintShape1");
    EXPECT_TRUE(paintShape->shortcut().isEmpty());
    EXPECT_EQ(paintShape->text(), "Paint Shape\tF9");
    std::set<QKeySequence> seen;
    for (const auto& e : MainMenuMap()) {
        QAction* a = window_->Action(e.Name);
        if (a->shortcut().isEmpty()) continue;
        EXPECT_TRUE(seen.insert(a->shortcut()).second) << e.Name;
    }

    EXPECT_FALSE(window_->Action("Undolast1")->isEnabled());
    EXPECT_TRUE(window_->Action("TransparentGIF1")->isChecked());
    EXPECT_FALSE(window_->Action("TextChunk1")->isChecked());
    EXPECT_EQ(window_->Action("ColorDepth1")->menu()->actions().size(), 4);
    EXPECT_EQ(window_->Action("EffectSettings1")->menu()->actions().size(), 9);
    EXPECT_TRUE(window_->Action("N1")->isSeparator());
    EXPECT_EQ(window_->Action("Buttonize1")->menu()->actions().size(), 6);
    EXPECT_EQ(window_->Action("Overlay2")->text(), "&Overlay");
}

} // namespace
