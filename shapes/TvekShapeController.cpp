#include "shapes/TvekShapeController.h"

#include "platform/TCanvas.h"
#include "platform/UiServices.h"
#include "shapes/ShapeNames.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <tuple>

namespace {

constexpr int kPictureSize = 16;

// A whole number as an input box answer: leading blanks, a sign, decimal digits or "$" and hex
// digits; anything else, or a number beyond the integers, gives fallback.
int IntOrDefault(const std::string& text, int fallback)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') base = 16, ++i;
    if (i == text.size()) return fallback;
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return fallback;
        value = value * base + digit;
        if (value > std::int64_t(INT32_MAX) + 1) return fallback;
    }
    if (negative) value = -value;
    return value < INT32_MIN || value > INT32_MAX ? fallback : static_cast<int>(value);
}

// An input box of the controller starting with value; false when cancelled.
bool Prompt(const char* title, const char* text, std::string& value) { return Ui().InputQuery(title, text, value); }

bool Contains(const std::vector<TvekShape*>& list, const TvekShape* shape)
{
    return std::find(list.begin(), list.end(), shape) != list.end();
}

void Erase(std::vector<TvekShape*>& list, const TvekShape* shape)
{
    list.erase(std::remove(list.begin(), list.end(), shape), list.end());
}

// The text before the "=" of a user outline line.
std::string OutlineName(const std::string& line) { return line.substr(0, line.find('=')); }

} // namespace

void SetShapeBrushStyle(TvekShape& shape, TBrushStyle style)
{
    TBrush brush = shape.Brush();
    brush.Style = style;
    shape.SetBrush(brush);
}

void SetShapePenStyle(TvekShape& shape, TPenStyle style)
{
    TPen pen = shape.Pen();
    pen.Style = style;
    shape.SetPen(pen);
}

void TShapeMenuItem::SetChecked(bool on)
{
    Checked = on;
    if (!on || !RadioItem || !Parent) return;
    for (auto& sibling : Parent->Items)
        if (sibling.get() != this && sibling->RadioItem && sibling->GroupIndex == GroupIndex) sibling->Checked = false;
}

TShapeMenuItem& TShapeMenuItem::Add(const std::string& caption, std::function<void()> onClick)
{
    auto item = std::make_unique<TShapeMenuItem>();
    item->Caption = caption;
    item->OnClick = std::move(onClick);
    item->Parent = this;
    Items.push_back(std::move(item));
    return *Items.back();
}

TvekShapeController::TvekShapeController() : pictureShape_(std::make_unique<TvekShape>())
{
    pictureShape_->SetBounds(0, 0, kPictureSize, kPictureSize);
    TBrush brush = pictureShape_->Brush();
    brush.Color = brushColor_;
    pictureShape_->SetBrush(brush);
    pictureShape_->SetGradientColor(clWhite);
}

TvekShapeController::~TvekShapeController() = default;

void TvekShapeController::SetBrushColor(TColor value)
{
    brushColor_ = value;
    TBrush brush = pictureShape_->Brush();
    brush.Color = value;
    pictureShape_->SetBrush(brush);
}

void TvekShapeController::SetGradientColor(TColor value)
{
    gradientColor_ = value;
    pictureShape_->SetGradientColor(value);
}

// ---- building the menu -----------------------------------------------------------------------

void TvekShapeController::BuildMenu()
{
    captionIndex_.clear();
    pictures_.clear();
    items_.clear();
    // The host's own mouse-mode buttons set each shape's mode from here on.
    MouseMode = mmfixed;
    MouseModeController = false;
    MakePictures();
    BuildItems();
}

void TvekShapeController::AddPicture()
{
    TBitmap picture(kPictureSize, kPictureSize, pf24bit);
    picture.Canvas().Brush.Color = BackColor;
    picture.Canvas().Brush.Style = bsSolid;
    picture.Canvas().FillRect(Rect(0, 0, kPictureSize, kPictureSize));
    pictureShape_->PaintTo(picture.Canvas(), 0, 0, 1.0L, 1.0L);
    pictures_.push_back(std::move(picture));
}

void TvekShapeController::MakePictures()
{
    TvekShape& shape = *pictureShape_;
    shape.SetGradient(false);
    for (int kind = 0; kind < ShapeTypeCount; ++kind) {
        shape.SetShape(static_cast<TvekShapeType>(kind));
        AddPicture();
    }
    shape.SetShape(vstSquare);
    shape.SetGradient(true);
    fillDirectionBase_ = static_cast<int>(pictures_.size());
    for (int direction = 0; direction < FillDirectionCount; ++direction) {
        shape.SetFillDirection(static_cast<TvekFillDirection>(direction));
        AddPicture();
    }
    userBase_ = static_cast<int>(pictures_.size());
    if (UserShapes.empty()) return;
    shape.SetShape(vstUser);
    shape.SetGradient(false);
    for (const std::string& line : UserShapes) {
        shape.SetUserVectorString(line);
        AddPicture();
    }
}

void TvekShapeController::Index(TShapeMenuItem& item) { captionIndex_.emplace_back(item.Caption, &item); }

TShapeMenuItem* TvekShapeController::FindItem(const std::string& caption) const
{
    for (const auto& [text, item] : captionIndex_)
        if (text == caption) return item;
    return nullptr;
}

void TvekShapeController::BuildItems()
{
    TShapeMenuItem root;
    // Every command acts on the shape the menu popped up on; without one it does nothing.
    auto onShape = [this](auto action) {
        return [this, action] {
            if (current_) action(*current_);
        };
    };
    auto check = [this](TShapeMenuItem& item) {
        item.Checkable = true;
        Index(item);
    };
    // One entry per name of a value table; choosing one hands the shape the value its caption names.
    auto addNamed = [&](TShapeMenuItem& menu, std::span<const char* const> names, auto apply) {
        for (const char* name : names) {
            TShapeMenuItem& item = menu.Add(name);
            item.OnClick = onShape([names, apply, &item](TvekShape& s) {
                const int index = NameIndex(names, item.Caption);
                if (index >= 0) apply(s, index);
            });
            Index(item);
        }
    };
    auto radioGroup = [](TShapeMenuItem& menu, int group) {
        for (auto& item : menu.Items) item->RadioItem = true, item->GroupIndex = group;
    };

    TShapeMenuItem& shapeStyle = root.Add("Shape Style");
    addNamed(shapeStyle, ShapeTypeNames, [](TvekShape& s, int i) { s.SetShape(static_cast<TvekShapeType>(i)); });
    for (int kind = 0; kind < ShapeTypeCount; ++kind) shapeStyle.Items[kind]->ImageIndex = kind;

    if (!UserShapes.empty()) {
        TShapeMenuItem& userStyle = root.Add("UserShape Style");
        for (std::size_t i = 0; i < UserShapes.size(); ++i) {
            TShapeMenuItem& item = userStyle.Add(OutlineName(UserShapes[i]));
            item.ImageIndex = userBase_ + static_cast<int>(i);
            // The outline is looked up when chosen: the list may have changed since the menu was built.
            item.OnClick = onShape([this, &item](TvekShape& s) {
                for (const std::string& line : UserShapes)
                    if (OutlineName(line) == item.Caption) {
                        s.SetUserVectorString(line);
                        s.SetShape(vstUser);
                        return;
                    }
            });
            Index(item);
        }
    }

    TShapeMenuItem& gradientStyle = root.Add("GradientStyle");
    addNamed(gradientStyle, FillDirectionNames, [](TvekShape& s, int i) {
        s.SetFillDirection(static_cast<TvekFillDirection>(i));
        s.SetGradient(true);
    });
    for (int direction = 0; direction < FillDirectionCount; ++direction)
        gradientStyle.Items[direction]->ImageIndex = fillDirectionBase_ + direction;

    TShapeMenuItem& gradient = root.Add("Gradient");
    check(gradient);
    gradient.OnClick = onShape([&gradient](TvekShape& s) {
        gradient.Checked = !gradient.Checked;
        s.SetGradient(gradient.Checked);
    });

    root.Add("Gradient Color...", onShape([](TvekShape& s) {
        TColor color = s.GradientColor();
        if (Ui().PickColor(color)) s.SetGradientColor(color);
    }));
    root.Add("Brush Color...", onShape([](TvekShape& s) {
        TBrush brush = s.Brush();
        if (!Ui().PickColor(brush.Color)) return;
        s.SetBrush(brush);
    }));

    TShapeMenuItem& brushStyle = root.Add("Brush Style");
    addNamed(brushStyle, BrushStyleNames,
             [](TvekShape& s, int i) { SetShapeBrushStyle(s, static_cast<TBrushStyle>(i)); });
    radioGroup(brushStyle, 4);

    TShapeMenuItem& pen = root.Add("Pen");
    TShapeMenuItem& penStyle = pen.Add("Style");
    addNamed(penStyle, PenStyleNames, [](TvekShape& s, int i) { SetShapePenStyle(s, static_cast<TPenStyle>(i)); });
    radioGroup(penStyle, 5);
    pen.Add("Color...", onShape([](TvekShape& s) {
        TPen p = s.Pen();
        if (Ui().PickColor(p.Color)) s.SetPen(p);
    }));
    pen.Add("Size...", onShape([](TvekShape& s) {
        std::string answer = std::to_string(s.Pen().Width);
        if (!Prompt("Shape Controller", "Enter Pen Size (1..20)", answer)) return;
        const int width = IntOrDefault(answer, 1);
        if (width < 1 || width > 20) return;
        TPen p = s.Pen();
        p.Width = width;
        s.SetPen(p);
    }));

    TShapeMenuItem& caption = root.Add("Caption");
    caption.Add("Caption...", onShape([](TvekShape& s) {
        std::string text = s.Caption();
        if (Prompt("Shape Controller", "Enter Caption", text)) s.SetCaption(text);
    }));
    caption.Add("Font...", onShape([](TvekShape& s) {
        TFont font = s.Font();
        if (!Ui().PickFont(font.Name, font.Size, font.Style, font.Color)) return;
        // The size chosen is the size meant, not a pixel height kept from before.
        font.Height = 0;
        s.SetFont(font);
    }));
    caption.Add("Centered", onShape([](TvekShape& s) { s.SetCaptionCentered(!s.CaptionCentered()); }));
    caption.Add("Angle", onShape([](TvekShape& s) {
        std::string answer = std::to_string(s.CaptionAngle());
        if (!Prompt("Shape Controller", "Enter Caption Angle (-180..0..180)", answer)) return;
        const int angle = IntOrDefault(answer, 0);
        if (angle >= -180 && angle <= 180) s.SetCaptionAngle(angle);
    }));

    TShapeMenuItem& mouseMode = root.Add("Mouse Mode");
    addNamed(mouseMode, MouseModeNames, [this](TvekShape& s, int i) {
        s.SetMouseMode(static_cast<TShapeMouseMode>(i));
        if (onMouseModeChanged) onMouseModeChanged(*this, s.MouseMode());
    });
    radioGroup(mouseMode, 3);

    TShapeMenuItem& activeMouse = root.Add("ActiveMouse");
    check(activeMouse);
    activeMouse.OnClick = onShape([&activeMouse](TvekShape& s) {
        activeMouse.Checked = !activeMouse.Checked;
        s.SetActiveMouse(activeMouse.Checked);
    });

    using TAlign = void (*)(const TvekShape&, TvekShape&);
    const std::pair<const char*, TAlign> aligns[] = {
        {"Top", [](const TvekShape& r, TvekShape& s) { s.SetTop(r.Top()); }},
        {"Left", [](const TvekShape& r, TvekShape& s) { s.SetLeft(r.Left()); }},
        {"Right", [](const TvekShape& r, TvekShape& s) { s.SetLeft(r.Left() + r.Width() - 1 - s.Width() + 1); }},
        {"Bottom", [](const TvekShape& r, TvekShape& s) { s.SetTop(r.Top() + r.Height() - 1 - s.Height() + 1); }},
        {"-", nullptr},
        {"Equal Height", [](const TvekShape& r, TvekShape& s) { s.SetHeight(r.Height()); }},
        {"Equal Width", [](const TvekShape& r, TvekShape& s) { s.SetWidth(r.Width()); }},
    };
    TShapeMenuItem& alignSize = root.Add("Align/Size");
    for (const auto& [text, align] : aligns) {
        TShapeMenuItem& item = alignSize.Add(text);
        if (align) item.OnClick = [this, align = align] { AlignSelection(align); };
    }

    root.Add("GroupName", [this] { EditGroupName(); });
    using TGetter = const std::string& (TvekShape::*)() const;
    using TSetter = void (TvekShape::*)(const std::string&);
    const std::tuple<const char*, const char*, TGetter, TSetter> connectors[] = {
        {"ConnectorN", "Enter ConnectorN", &TvekShape::ConnectorN, &TvekShape::SetConnectorN},
        {"ConnectorE", "Enter ConnectorE", &TvekShape::ConnectorE, &TvekShape::SetConnectorE},
        {"ConnectorS", "Enter ConnectorS", &TvekShape::ConnectorS, &TvekShape::SetConnectorS},
        {"ConnectorW", "Enter ConnectorW", &TvekShape::ConnectorW, &TvekShape::SetConnectorW},
    };
    for (const auto& [text, prompt, get, set] : connectors)
        root.Add(text, onShape([prompt = prompt, get = get, set = set](TvekShape& s) {
            std::string value = (s.*get)();
            if (Prompt("ShapeController", prompt, value)) (s.*set)(value);
        }));

    TShapeMenuItem& polyLine = root.Add("PolyLineMode");
    check(polyLine);
    polyLine.OnClick = onShape([&polyLine](TvekShape& s) {
        polyLine.Checked = !polyLine.Checked;
        s.SetPolyLineMode(polyLine.Checked);
    });
    root.Add("-");
    root.Add("BringToFront", onShape([this](TvekShape& s) {
        if (onBringToFront) onBringToFront(s);
        if (!Contains(Shapes, &s)) return;
        Erase(Shapes, &s);
        Shapes.push_back(&s);
    }));
    root.Add("SendToBack", onShape([this](TvekShape& s) {
        if (onSendToBack) onSendToBack(s);
        if (!Contains(Shapes, &s)) return;
        Erase(Shapes, &s);
        Shapes.insert(Shapes.begin(), &s);
    }));
    root.Add("Delete Object", [this] { DeleteObjects(); });

    items_ = std::move(root.Items);
    for (auto& item : items_) item->Parent = nullptr;
}

// ---- pop-up ----------------------------------------------------------------------------------

void TvekShapeController::Popup(TvekShape* shape)
{
    current_ = shape;
    if (!shape) return;
    auto setCheck = [this](const std::string& caption, bool on) {
        if (TShapeMenuItem* item = FindItem(caption)) item->SetChecked(on);
    };
    setCheck("PolyLineMode", shape->PolyLineMode());
    setCheck("Gradient", shape->Gradient());
    setCheck("ActiveMouse", shape->ActiveMouse());
    setCheck(MouseModeNames[shape->MouseMode()], true);
    const int brushStyle = shape->Brush().Style, penStyle = shape->Pen().Style;
    if (brushStyle >= 0 && brushStyle < static_cast<int>(BrushStyleNames.size())) setCheck(BrushStyleNames[brushStyle], true);
    if (penStyle >= 0 && penStyle < static_cast<int>(PenStyleNames.size())) setCheck(PenStyleNames[penStyle], true);
}

// ---- selection, align and groups -------------------------------------------------------------

void TvekShapeController::Select(TvekShape& shape)
{
    shape.SetSelected(true);
    selection_.push_back(&shape);
}

void TvekShapeController::Deselect(TvekShape& shape)
{
    shape.SetSelected(false);
    Erase(selection_, &shape);
}

void TvekShapeController::ToggleSelection(TvekShape& shape)
{
    const std::string group = shape.GroupName();
    if (Contains(selection_, &shape)) {
        if (group.empty()) {
            Deselect(shape);
        } else {
            const std::vector<TvekShape*> selected = selection_;
            for (TvekShape* s : selected)
                if (s->GroupName() == group) Deselect(*s);
        }
    } else if (group.empty()) {
        Select(shape);
    } else {
        for (TvekShape* s : Shapes)
            if (s->GroupName() == group && !Contains(selection_, s)) Select(*s);
    }
    if (onShapeSelected) onShapeSelected(*this, shape);
}

void TvekShapeController::AlignSelection(void (*align)(const TvekShape& reference, TvekShape& other))
{
    if (selection_.size() < 2) return;
    const TvekShape& reference = *selection_.front();
    for (std::size_t i = 1; i < selection_.size(); ++i) align(reference, *selection_[i]);
}

void TvekShapeController::EditGroupName()
{
    if (!selection_.empty()) {
        std::string name = selection_.front()->GroupName();
        if (!Prompt("ShapeController", "Enter Groupname", name)) return;
        for (TvekShape* s : selection_) s->SetGroupName(name);
    } else if (current_) {
        std::string name = current_->GroupName();
        if (Prompt("ShapeController", "Enter Groupname", name)) current_->SetGroupName(name);
    }
}

void TvekShapeController::DeleteObjects()
{
    if (selection_.empty()) return;
    const std::vector<TvekShape*> selected = std::move(selection_);
    selection_.clear();
    for (TvekShape* s : selected) {
        if (!Contains(Shapes, s)) {
            // Out of the selection, so no longer marked as in it.
            s->SetSelected(false);
            continue;
        }
        Erase(Shapes, s);
        if (current_ == s) current_ = nullptr;
        if (onFreeShape) onFreeShape(*s);
    }
    if (onShapeDeleted) onShapeDeleted(*this);
}

void TvekShapeController::RemoveShape(TvekShape& shape)
{
    Erase(Shapes, &shape);
    Erase(selection_, &shape);
    if (current_ == &shape) current_ = nullptr;
}

// ---- group moves -----------------------------------------------------------------------------

void TvekShapeController::MoveGroup(TvekShape& moved, int dx, int dy)
{
    for (TvekShape* s : selection_)
        if (s != &moved) s->SetBounds(s->Left() + dx, s->Top() + dy, s->Width(), s->Height());

    const int l = moved.Left(), t = moved.Top();
    const int r = l + moved.Width() - 1, b = t + moved.Height() - 1;
    for (TvekShape* s : Shapes) {
        const std::string& group = s->GroupName();
        if (s == &moved || group.empty()) continue;
        // A connector names the group of the shape linked on its side; the first naming it decides.
        if (moved.ConnectorN() == group) {
            if (s->Top() + 5 < t) s->SetHeight(t - s->Top());
        } else if (moved.ConnectorE() == group) {
            const int right = s->Left() + s->Width();
            if (right - 5 > r) s->SetBounds(r + 1, s->Top(), right - r - 1, s->Height());
        } else if (moved.ConnectorS() == group) {
            const int bottom = s->Top() + s->Height();
            if (bottom - 5 > b) s->SetBounds(s->Left(), b + 1, s->Width(), bottom - b - 1);
        } else if (moved.ConnectorW() == group) {
            if (s->Left() + 5 < l) s->SetWidth(l - s->Left());
        }
    }
}
