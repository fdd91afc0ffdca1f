#include "shapes/TvekShape.h"

#include "platform/NumberText.h"
#include "shapes/ShapeMath.h"
#include "shapes/ShapePainter.h"

#include <cmath>
#include <numbers>

namespace {

bool IsBlank(unsigned char c) { return c >= 1 && c <= ' '; }

// The items of a comma text: blanks and commas separate items, a double-quoted item runs to its
// closing quote (a doubled quote stands for one), two commas in a row make an empty item. A NUL
// ends the text, as it ends the character string the outline texts were kept in.
std::vector<std::string> CommaItems(std::string_view text)
{
    std::vector<std::string> items;
    std::size_t p = 0;
    auto at = [&](std::size_t i) -> unsigned char { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0; };
    while (IsBlank(at(p))) ++p;
    while (at(p) != 0) {
        std::string item;
        if (at(p) == '"') {
            ++p;
            while (at(p) != 0) {
                if (at(p) == '"') {
                    if (at(p + 1) != '"') {
                        ++p;
                        break;
                    }
                    ++p;
                }
                item += char(at(p));
                ++p;
            }
        } else {
            const std::size_t start = p;
            while (at(p) > ' ' && at(p) != ',') ++p;
            item.assign(text.substr(start, p - start));
        }
        items.push_back(std::move(item));
        while (IsBlank(at(p))) ++p;
        if (at(p) == ',') {
            do ++p;
            while (IsBlank(at(p)));
        }
    }
    return items;
}

// A number with a point as decimal separator, blanks round it allowed.
bool ParseNumber(std::string_view s, long double& value)
{
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] == ' ') ++b;
    while (e > b && s[e - 1] == ' ') --e;
    double v = 0;
    if (!ParseDoubleText(s.substr(b, e - b), v)) return false;
    value = v;
    return true;
}

} // namespace

bool ParseUserVector(std::string_view text, std::vector<TUnitPoint>& points)
{
    const std::size_t eq = text.find('=');
    if (text.empty() || eq == std::string_view::npos) return false;
    const std::vector<std::string> items = CommaItems(text.substr(eq + 1));
    const std::size_t n = items.size();
    if (n == 0 || n % 2 != 0 || n >= 101) return false;
    std::vector<TUnitPoint> parsed(n / 2);
    for (std::size_t i = 0; i < n / 2; ++i)
        if (!ParseNumber(items[2 * i], parsed[i].X) || !ParseNumber(items[2 * i + 1], parsed[i].Y)) return false;
    points = std::move(parsed);
    return true;
}

TvekShape::TvekShape() = default;
TvekShape::~TvekShape() = default;

void TvekShape::Changed()
{
    if (OnInvalidate) OnInvalidate(*this);
}

void TvekShape::SetBounds(int left, int top, int width, int height)
{
    if (left == left_ && top == top_ && width == width_ && height == height_) return;
    left_ = left, top_ = top, width_ = width, height_ = height;
    Changed();
}

void TvekShape::SetVisible(bool value)
{
    if (value == visible_) return;
    visible_ = value;
    Changed();
}

bool TvekShape::SetUserVectorString(const std::string& value)
{
    std::vector<TUnitPoint> points;
    if (!ParseUserVector(value, points)) return false;
    userVectorString_ = value;
    userPoints_ = std::move(points);
    Changed();
    return true;
}

namespace {

template <typename T> bool Store(T& field, const T& value)
{
    if (field == value) return false;
    field = value;
    return true;
}

bool SameBrush(const TBrush& a, const TBrush& b) { return a.Color == b.Color && a.Style == b.Style; }
bool SamePen(const TPen& a, const TPen& b)
{
    return a.Color == b.Color && a.Width == b.Width && a.Style == b.Style && a.Mode == b.Mode;
}
bool SameFont(const TFont& a, const TFont& b)
{
    return a.Name == b.Name && a.Size == b.Size && a.Height == b.Height && a.Color == b.Color &&
           a.Style == b.Style && a.Escapement == b.Escapement && a.CellHeight == b.CellHeight;
}

} // namespace

void TvekShape::SetBrush(const TBrush& value)
{
    if (SameBrush(brush_, value)) return;
    brush_ = value;
    Changed();
}

void TvekShape::SetPen(const TPen& value)
{
    if (SamePen(pen_, value)) return;
    pen_ = value;
    Changed();
}

void TvekShape::SetFont(const TFont& value)
{
    if (SameFont(font_, value)) return;
    font_ = value;
    Changed();
}

void TvekShape::SetGradientColor(TColor value) { if (Store(gradientColor_, value)) Changed(); }
void TvekShape::SetGradient(bool value) { if (Store(gradient_, value)) Changed(); }
void TvekShape::SetShape(TvekShapeType value) { if (Store(shape_, value)) Changed(); }
void TvekShape::SetFillDirection(TvekFillDirection value) { if (Store(fillDirection_, value)) Changed(); }
void TvekShape::SetCaption(const std::string& value) { if (Store(caption_, value)) Changed(); }
void TvekShape::SetCaptionX(int value) { if (Store(captionX_, value)) Changed(); }
void TvekShape::SetCaptionY(int value) { if (Store(captionY_, value)) Changed(); }
void TvekShape::SetCaptionCentered(bool value) { if (Store(captionCentered_, value)) Changed(); }
void TvekShape::SetCaptionAngle(int value) { if (Store(captionAngle_, value)) Changed(); }
void TvekShape::SetbyUser(bool value) { if (Store(byUser_, value)) Changed(); }
void TvekShape::SetPolyLineMode(bool value) { if (Store(polyLineMode_, value)) Changed(); }
void TvekShape::SetSelected(bool value) { if (Store(selected_, value)) Changed(); }

void TvekShape::Paint()
{
    if (!parentCanvas_ || !visible_) return;
    // On screen the shape stands at (Left, Top) of its parent's surface.
    TShapeTransform transform{left_, top_, 1.0L, 1.0L};
    paintCanvas_ = parentCanvas_;
    PaintShape(*this, *parentCanvas_, transform, true);
    paintCanvas_ = parentCanvas_;
}

void TvekShape::PaintTo(TCanvas& canvas, int x, int y, long double scaleX, long double scaleY)
{
    TShapeTransform transform{x, y, scaleX, scaleY};
    paintCanvas_ = &canvas;
    PaintShape(*this, canvas, transform, false);
    paintCanvas_ = parentCanvas_;
}

void TvekShape::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    pressLeft_ = left_, pressTop_ = top_;
    if (button == mbLeft) {
        if (shift & ssShift) {
            if (popupMenu_ && activeMouse_) popupMenu_->ToggleSelection(*this);
        } else {
            if (popupMenu_ && popupMenu_->MouseInCharge()) mouseMode_ = popupMenu_->PressMouseMode();
            dragging_ = true;
            if (mouseMode_ == mmSizeObject)
                grabX_ = width_ - x, grabY_ = height_ - y;
            else
                grabX_ = x, grabY_ = y;
        }
    }
    if (OnMouseDown) OnMouseDown(*this, button, shift, x, y);
}

void TvekShape::MouseMove(TShiftState shift, int x, int y)
{
    using shapemath::ClampInt;
    if (activeMouse_ && dragging_) {
        const bool controlled = popupMenu_ && popupMenu_->MouseInCharge();
        const int grid = controlled ? popupMenu_->SnapGridSize() : 0;
        const bool snap = grid >= 2;
        auto snapped = [&](int v, int adjust) { return ClampInt(std::int64_t(v) / grid * grid + adjust); };
        switch (mouseMode_) {
        case mmMoveObject: {
            int newLeft = ClampInt(std::int64_t(left_) + x - grabX_);
            int newTop = ClampInt(std::int64_t(top_) + y - grabY_);
            if (snap) newLeft = snapped(newLeft, -1), newTop = snapped(newTop, -1);
            SetBounds(newLeft, newTop, width_, height_);
            if (controlled) popupMenu_->MoveGroup(*this, newLeft - pressLeft_, newTop - pressTop_);
            pressLeft_ = newLeft, pressTop_ = newTop;
            break;
        }
        case mmSizeObject: {
            int newWidth = ClampInt(std::int64_t(grabX_) + x);
            int newHeight = ClampInt(std::int64_t(grabY_) + y);
            if (snap) newWidth = snapped(newWidth, 1), newHeight = snapped(newHeight, 1);
            SetBounds(left_, top_, newWidth, newHeight);
            break;
        }
        case mmMoveText:
            SetCaptionCentered(false);
            SetCaptionX(snap ? snapped(x, 0) : x);
            SetCaptionY(snap ? snapped(y, 0) : y);
            break;
        case mmRotateText: {
            SetCaptionCentered(false);
            const long double dy = (long double)(height_ / 2) - y;
            long double dx = (long double)x - width_ / 2;
            if (dx == 0) dx = 1;
            SetCaptionAngle(shapemath::Round(std::atan2(dy, dx) * 180 / std::numbers::pi_v<long double>));
            break;
        }
        case mmfixed: break;
        }
    }
    if (OnMouseMove) OnMouseMove(*this, shift, x, y);
}

void TvekShape::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    dragging_ = false;
    if (OnMouseUp) OnMouseUp(*this, button, shift, x, y);
}
