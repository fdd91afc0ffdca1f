#pragma once
#include "platform/TCanvas.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The outline kinds; the names are stored in form descriptions and must stay as written.
enum TvekShapeType {
    vstRectangle, vstSquare, vstRoundRect, vstRoundSquare, vstEllipse, vstCircle, vstValve, vstValveUp,
    vstHouse, vstTriangleRight, vstTriangleUp, vstTriangleLeft, vstTriangleDown, vstArrowRight,
    vstArrowUp, vstArrowLeft, vstArrowDown, vstArrowUpDown, vstArrowLeftRight, vstDiamond, vstOctagon,
    vstHexagon, vstHexagonFlat, vstUBarUp, vstUBarLeft, vstUBarDown, vstUBarRight, vstChairLeft,
    vstChairRight, vstBowlLeft, vstBowlRight, vstBowlDown, vstBowlUp, vstIBar, vstHBar, vst4Point,
    vstWaggle, vstCloudLeft, vstCloudRight, vstDoubleOval, vstDoubleOvalV, vstTorus, vstFrame,
    vstFrameNarrow, vstLBarUpLeft, vstLBarUpRight, vstLBarLeft, vstLBarRight, vst2HoleHoriz,
    vst2HoleVert, vstCubeUpRight, vstCubeUpLeft, vstCubeDownRight, vstCubeDownLeft, vstCubeHalf,
    vstRoofRight, vstRoofLeft, vstRoofFront, vstRoofBack, vstPyramid, vstMoret, vstZ, vstN, vstMatta,
    vstPistacheTop, vstPistacheBottom, vstPistacheLeft, vstPistacheRight, vst1Hole, vst1HoleBig,
    vstflower, vstFatArrowUp, vstFatArrowLeft, vstFatArrowDown, vstFatArrowRight, vstUser
};
constexpr int ShapeTypeCount = vstUser + 1;

// The gradient patterns.
enum TvekFillDirection {
    vgdUp, vgdDown, vgdLeft, vgdRight, vgdRectOut, vgdRectIn, vgdHorizCenter, vgdVertCenter,
    vgdCircOut, vgdCircIn, vgdNWSE, vgdNESW, vgdSENW, vgdSWNE, vgdUright, vgdULeft, vgdUUp, vgdUDown,
    vgdRCMix, vgdRCModulo, vgdQuatro, vgdDuo, vgdLNE, vgdLNW, vgdUpDown, vgdLeftRight
};
constexpr int FillDirectionCount = vgdLeftRight + 1;

// What a left-button drag on a shape does.
enum TShapeMouseMode { mmfixed, mmMoveObject, mmSizeObject, mmMoveText, mmRotateText };
constexpr int ShapeMouseModeCount = mmRotateText + 1;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
// Modifier keys and buttons held during a mouse event.
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32,
                      ssDouble = 64;

// A point of a user outline in unit coordinates of the drawing box: 0 is its left or top edge, 1 its
// right or bottom edge.
struct TUnitPoint {
    long double X = 0;
    long double Y = 0;
    bool operator==(const TUnitPoint&) const = default;
};

class TvekShape;

// The pop-up menu of a shape as the shape sees it. The shape controller is the one such menu: it
// takes shift-clicks as selection and, while it is in charge of the mouse, gives pressed shapes its
// mouse mode, snaps them to its grid and moves the other selected and connected shapes along.
class TShapePopupMenu {
public:
    virtual ~TShapePopupMenu() = default;
    // The controller is in charge of the mouse (its MouseModeController).
    virtual bool MouseInCharge() const = 0;
    // The mouse mode a shape takes when it is pressed while the controller is in charge.
    virtual TShapeMouseMode PressMouseMode() const = 0;
    // The grid spacing a controlled drag snaps to, or 0 when it does not snap (grid off or below 2).
    virtual int SnapGridSize() const = 0;
    virtual void ToggleSelection(TvekShape& shape) = 0;
    virtual void MoveGroup(TvekShape& moved, int dx, int dy) = 0;
};

// One vector shape: a built-in outline or a user outline, filled with a solid brush or a gradient,
// outlined with a pen and labelled with a caption that can be centred, placed freely and turned.
// It has no surface of its own: on screen it draws onto its parent's canvas at (Left, Top); PaintTo
// stamps it into any canvas. Setters that change what is drawn ask the host to repaint through
// OnInvalidate; assigning the value already held does nothing.
class TvekShape {
public:
    TvekShape();
    ~TvekShape();
    TvekShape(const TvekShape&) = delete;
    TvekShape& operator=(const TvekShape&) = delete;

    // Position and size on the parent.
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int value) { SetBounds(value, top_, width_, height_); }
    void SetTop(int value) { SetBounds(left_, value, width_, height_); }
    void SetWidth(int value) { SetBounds(left_, top_, value, height_); }
    void SetHeight(int value) { SetBounds(left_, top_, width_, value); }
    void SetBounds(int left, int top, int width, int height);

    // Properties the control keeps from its platform base.
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value) { enabled_ = value; }
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value) { hint_ = value; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool value) { showHint_ = value; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& value) { name_ = value; }
    int Tag() const { return tag_; }
    void SetTag(int value) { tag_ = value; }
    int Cursor() const { return cursor_; }
    void SetCursor(int value) { cursor_ = value; }

    // Group label and connectors: the group names of linked shapes on each side. Stored only.
    const std::string& GroupName() const { return groupName_; }
    void SetGroupName(const std::string& value) { groupName_ = value; }
    const std::string& ConnectorN() const { return connectorN_; }
    void SetConnectorN(const std::string& value) { connectorN_ = value; }
    const std::string& ConnectorS() const { return connectorS_; }
    void SetConnectorS(const std::string& value) { connectorS_ = value; }
    const std::string& ConnectorE() const { return connectorE_; }
    void SetConnectorE(const std::string& value) { connectorE_ = value; }
    const std::string& ConnectorW() const { return connectorW_; }
    void SetConnectorW(const std::string& value) { connectorW_ = value; }

    // "name=x1,y1,x2,y2,..." with 1 to 50 points. A malformed text is ignored: the outline and the
    // text stay as they were, and the answer is false.
    const std::string& UserVectorString() const { return userVectorString_; }
    bool SetUserVectorString(const std::string& value);
    const std::vector<TUnitPoint>& UserPoints() const { return userPoints_; }

    // The pop-up menu; not owned.
    TShapePopupMenu* popupmenu() const { return popupMenu_; }
    void Setpopupmenu(TShapePopupMenu* menu) { popupMenu_ = menu; }

    const TBrush& Brush() const { return brush_; }
    void SetBrush(const TBrush& value);
    TColor GradientColor() const { return gradientColor_; }
    void SetGradientColor(TColor value);
    bool Gradient() const { return gradient_; }
    void SetGradient(bool value);
    const TPen& Pen() const { return pen_; }
    void SetPen(const TPen& value);
    TvekShapeType Shape() const { return shape_; }
    void SetShape(TvekShapeType value);
    TvekFillDirection FillDirection() const { return fillDirection_; }
    void SetFillDirection(TvekFillDirection value);
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& value);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    int CaptionX() const { return captionX_; }
    void SetCaptionX(int value);
    int CaptionY() const { return captionY_; }
    void SetCaptionY(int value);
    bool CaptionCentered() const { return captionCentered_; }
    void SetCaptionCentered(bool value);
    // Whole degrees, counter-clockwise; not limited.
    int CaptionAngle() const { return captionAngle_; }
    void SetCaptionAngle(int value);
    bool byUser() const { return byUser_; }
    void SetbyUser(bool value);
    bool ActiveMouse() const { return activeMouse_; }
    void SetActiveMouse(bool value) { activeMouse_ = value; }
    TShapeMouseMode MouseMode() const { return mouseMode_; }
    void SetMouseMode(TShapeMouseMode value) { mouseMode_ = value; }
    bool PolyLineMode() const { return polyLineMode_; }
    void SetPolyLineMode(bool value);
    bool Selected() const { return selected_; }
    void SetSelected(bool value);

    // Called after the outline in place of the caption while byUser is true.
    std::function<void(TvekShape& sender)> onUserDraw;
    // The control's own events, fired by the mouse handlers and the host.
    std::function<void(TvekShape& sender)> OnClick;
    std::function<void(TvekShape& sender)> OnDblClick;
    std::function<void(TvekShape& sender, TMouseButton button, TShiftState shift, int x, int y)> OnMouseDown;
    std::function<void(TvekShape& sender, TShiftState shift, int x, int y)> OnMouseMove;
    std::function<void(TvekShape& sender, TMouseButton button, TShiftState shift, int x, int y)> OnMouseUp;
    // The host repaints the shape's area (and, after a move or resize, where it was).
    std::function<void(TvekShape& sender)> OnInvalidate;

    // The canvas of the parent surface the shape stands on, where Paint draws; not owned.
    void SetParentCanvas(TCanvas* canvas) { parentCanvas_ = paintCanvas_ = canvas; }
    TCanvas* ParentCanvas() const { return parentCanvas_; }
    // Where drawing goes: the parent canvas, or the PaintTo canvas while a PaintTo runs (what an
    // onUserDraw handler draws on).
    TCanvas* Canvas() const { return paintCanvas_; }
    // One on-screen paint pass onto the parent canvas at (Left, Top), with the selection marker.
    void Paint();
    // Draws the shape once into another canvas: positions map to Round(x * scaleX) + x0 and
    // Round(y * scaleY) + y0, sizes scale alone. No selection marker.
    void PaintTo(TCanvas& canvas, int x, int y, long double scaleX, long double scaleY);

    // Mouse handlers, in the shape's own pixels.
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    void MouseMove(TShiftState shift, int x, int y);
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    bool Dragging() const { return dragging_; }

private:
    void Changed();

    int left_ = 0, top_ = 0, width_ = 65, height_ = 65;
    bool visible_ = true, enabled_ = true, showHint_ = false;
    std::string hint_, name_;
    int tag_ = 0, cursor_ = 0;

    std::string groupName_, connectorN_, connectorS_, connectorE_, connectorW_;
    std::string userVectorString_ = "usrRectangle=0,0,1,0,1,1,0,1";
    std::vector<TUnitPoint> userPoints_{{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    TShapePopupMenu* popupMenu_ = nullptr;
    TBrush brush_;
    TColor gradientColor_ = clBlack;
    bool gradient_ = false;
    TPen pen_;
    TvekShapeType shape_ = vstRectangle;
    TvekFillDirection fillDirection_ = vgdUp;
    TFont font_;
    std::string caption_;
    int captionX_ = 0, captionY_ = 0;
    bool captionCentered_ = true;
    int captionAngle_ = 0;
    bool byUser_ = false, activeMouse_ = false;
    TShapeMouseMode mouseMode_ = mmfixed;
    bool polyLineMode_ = false, selected_ = false;

    TCanvas* parentCanvas_ = nullptr;
    TCanvas* paintCanvas_ = nullptr;
    // Drag state: a left press starts it; the grab point and the bounds at the last press.
    bool dragging_ = false;
    int grabX_ = 0, grabY_ = 0;
    int pressLeft_ = 0, pressTop_ = 0;
};

// Parses the number list of a user outline text: nothing when it is malformed.
bool ParseUserVector(std::string_view text, std::vector<TUnitPoint>& points);
