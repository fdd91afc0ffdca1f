#include "app/ShapeMenu.h"

#include "app/PictureView.h"
#include "shapes/TvekShapeController.h"

#include <QActionGroup>
#include <QPixmap>

#include <map>

TShapeMenu::TShapeMenu(TvekShapeController& controller, std::function<TvekShape*()> shape, QWidget* parent)
    : QMenu(parent), controller_(controller), shape_(std::move(shape))
{
    connect(this, &QMenu::aboutToShow, this, [this] {
        controller_.Popup(shape_ ? shape_() : nullptr);
        Refresh();
    });
    Rebuild();
}

void TShapeMenu::Rebuild()
{
    clear();
    actions_.clear();
    AddItems(*this, controller_.Items());
    Refresh();
}

void TShapeMenu::AddItems(QMenu& menu, std::vector<std::unique_ptr<TShapeMenuItem>>& items)
{
    std::map<int, QActionGroup*> groups;
    for (auto& owned : items) {
        TShapeMenuItem& item = *owned;
        QAction* action = nullptr;
        if (item.Caption == "-") {
            action = menu.addSeparator();
        } else if (!item.Items.empty()) {
            QMenu* sub = menu.addMenu(QString::fromStdString(item.Caption));
            AddItems(*sub, item.Items);
            action = sub->menuAction();
        } else {
            action = menu.addAction(QString::fromStdString(item.Caption));
            action->setCheckable(item.Checkable || item.RadioItem);
            if (item.RadioItem) {
                QActionGroup*& group = groups[item.GroupIndex];
                if (!group) {
                    group = new QActionGroup(&menu);
                    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
                }
                action->setActionGroup(group);
            }
            // The controller keeps the checks; the Qt items show them again after every choice.
            connect(action, &QAction::triggered, this, [this, &item] {
                if (item.OnClick) item.OnClick();
                Refresh();
            });
        }
        const auto& pictures = controller_.Pictures();
        if (item.ImageIndex >= 0 && item.ImageIndex < static_cast<int>(pictures.size()))
            action->setIcon(QIcon(QPixmap::fromImage(BitmapToQImage(pictures[item.ImageIndex]))));
        actions_.emplace_back(action, &item);
    }
}

void TShapeMenu::Refresh()
{
    for (auto& [action, item] : actions_) {
        action->setVisible(item->Visible);
        if (action->isCheckable()) action->setChecked(item->Checked);
    }
}

QAction* TShapeMenu::ActionOf(const TShapeMenuItem& item) const
{
    for (const auto& [action, it] : actions_)
        if (it == &item) return action;
    return nullptr;
}
