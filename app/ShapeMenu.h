#pragma once
#include <QMenu>

#include <functional>
#include <utility>
#include <vector>

class QAction;
class TvekShape;
class TvekShapeController;
struct TShapeMenuItem;

// The shape controller's menu as a Qt pop-up menu: its items, pictures, checks and radio groups.
// Before it shows, the controller takes the shape it pops up on and the checks follow that shape.
class TShapeMenu : public QMenu {
    Q_OBJECT
public:
    // shape answers the shape the menu pops up on.
    TShapeMenu(TvekShapeController& controller, std::function<TvekShape*()> shape, QWidget* parent = nullptr);
    // Builds the Qt menu again from the controller's items (after BuildMenu or a change of Visible).
    void Rebuild();
    // Brings the checks and visibility of the Qt items in step with the controller's items.
    void Refresh();
    // The Qt action of a controller item.
    QAction* ActionOf(const TShapeMenuItem& item) const;

private:
    void AddItems(QMenu& menu, std::vector<std::unique_ptr<TShapeMenuItem>>& items);

    TvekShapeController& controller_;
    std::function<TvekShape*()> shape_;
    std::vector<std::pair<QAction*, TShapeMenuItem*>> actions_;
};
