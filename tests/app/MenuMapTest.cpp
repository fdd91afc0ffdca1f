#include "app/MenuMap.h"
#include "app/VistrelF.h"
#include "platform/ProgramFolder.h"
#include "platform/UiServices.h"
#include "tests/app/WindowFixture.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

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

// No key is claimed twice: Run Script owns F9, and Paint Shape shows the key without taking it.
TEST_F(MenuMapTest, EveryShortcutIsTakenOnce)
{
    QAction* paintShape = window_->Action("PaintShape1");
    EXPECT_TRUE(paintShape->shortcut().isEmpty());
    EXPECT_EQ(paintShape->text(), "Paint Shape\tF9");
    EXPECT_EQ(window_->Action("RunScript1")->shortcut(), QKeySequence("F9"));
    std::set<QKeySequence> seen;
    for (const auto& e : MainMenuMap()) {
        QAction* a = window_->Action(e.Name);
        if (a->shortcut().isEmpty()) continue;
        EXPECT_TRUE(seen.insert(a->shortcut()).second) << e.Name;
    }
}

} // namespace
