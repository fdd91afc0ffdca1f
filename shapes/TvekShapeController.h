#pragma once
#include "platform/TBitmap.h"
#include "shapes/TvekShape.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The brush or pen style of a shape, its other values kept.
void SetShapeBrushStyle(TvekShape& shape, TBrushStyle style);
void SetShapePenStyle(TvekShape& shape, TPenStyle style);

// One entry of the controller's pop-up menu, as data: the host turns it into its own menu, shows
// Checked and Visible, and calls OnClick when the entry is chosen.
struct TShapeMenuItem {
    std::string Caption;   // "-" is a separator
    int ImageIndex = -1;   // a picture of the controller's Pictures(), or -1
    bool Checkable = false;
    bool RadioItem = false;
    int GroupIndex = 0;    // radio items of one group in one submenu exclude each other
    bool Checked = false;
    bool Visible = true;
    std::function<void()> OnClick;
    TShapeMenuItem* Parent = nullptr;
    std::vector<std::unique_ptr<TShapeMenuItem>> Items;

    // Sets the check; checking a radio item clears the others of its group beside it.
    void SetChecked(bool on);
    TShapeMenuItem& Add(const std::string& caption, std::function<void()> onClick = {});
};

// The pop-up menu of shapes: every shape property as a menu command with pictures of the shape
// kinds and gradient patterns; a selection of shapes, aligned and sized together; and, while it is
// in charge of the mouse, one mouse mode for all shapes, a snapping grid, group moves and
// connectors. The host registers the shapes that share the controller in Shapes and owns them.
class TvekShapeController : public TShapePopupMenu {
public:
    TvekShapeController();
    ~TvekShapeController() override;
    TvekShapeController(const TvekShapeController&) = delete;
    TvekShapeController& operator=(const TvekShapeController&) = delete;

    // User outlines, one "name=x1,y1,..." line each.
    std::vector<std::string> UserShapes;
    // Colours of the menu pictures; new pictures appear when the menu is rebuilt.
    TColor BrushColor() const { return brushColor_; }
    void SetBrushColor(TColor value);
    TColor GradientColor() const { return gradientColor_; }
    void SetGradientColor(TColor value);
    TColor BackColor = clWhite;
    TShapeMouseMode MouseMode = mmfixed;
    bool MouseModeController = false;
    bool MouseGrid = false;
    int MouseGridSize = 10;

    std::function<void(TvekShapeController& sender)> onShapeDeleted;
    std::function<void(TvekShapeController& sender, TShapeMouseMode mouseMode)> onMouseModeChanged;
    std::function<void(TvekShapeController& sender, TvekShape& shape)> onShapeSelected;

    // The host's part of the commands that change its surface: drawing order, and destroying a
    // shape that "Delete Object" took out of Shapes. Without them only Shapes changes.
    std::function<void(TvekShape& shape)> onBringToFront;
    std::function<void(TvekShape& shape)> onSendToBack;
    std::function<void(TvekShape& shape)> onFreeShape;

    // Rebuilds the pictures and the whole menu, and gives the mouse back to the shapes.
    void BuildMenu();
    std::vector<std::unique_ptr<TShapeMenuItem>>& Items() { return items_; }
    const std::vector<TBitmap>& Pictures() const { return pictures_; }
    int FillDirectionBase() const { return fillDirectionBase_; }
    int UserBase() const { return userBase_; }
    // The entry the caption index holds under a caption, or nullptr.
    TShapeMenuItem* FindItem(const std::string& caption) const;

    // The menu pops up on a shape: it becomes the shape the commands act on, and the checks
    // follow its properties.
    void Popup(TvekShape* shape);
    TvekShape* CurrentShape() const { return current_; }

    std::vector<TvekShape*> Shapes;
    const std::vector<TvekShape*>& Selection() const { return selection_; }
    // Forgets a shape the host is about to destroy.
    void RemoveShape(TvekShape& shape);

    // TShapePopupMenu
    bool MouseInCharge() const override { return MouseModeController; }
    TShapeMouseMode PressMouseMode() const override { return MouseMode; }
    int SnapGridSize() const override { return MouseGrid && MouseGridSize >= 2 ? MouseGridSize : 0; }
    void ToggleSelection(TvekShape& shape) override;
    void MoveGroup(TvekShape& moved, int dx, int dy) override;

private:
    void MakePictures();
    void AddPicture();
    void Index(TShapeMenuItem& item);
    void BuildItems();
    void Select(TvekShape& shape);
    void Deselect(TvekShape& shape);
    void AlignSelection(void (*align)(const TvekShape& reference, TvekShape& other));
    void EditGroupName();
    void DeleteObjects();

    TColor brushColor_ = clBlue;
    TColor gradientColor_ = clWhite;
    std::unique_ptr<TvekShape> pictureShape_;
    std::vector<TBitmap> pictures_;
    std::vector<std::pair<std::string, TShapeMenuItem*>> captionIndex_;
    std::vector<std::unique_ptr<TShapeMenuItem>> items_;
    std::vector<TvekShape*> selection_;
    TvekShape* current_ = nullptr;
    int fillDirectionBase_ = 0;
    int userBase_ = 0;
};
