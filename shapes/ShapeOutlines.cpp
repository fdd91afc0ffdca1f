#include "shapes/ShapeMath.h"
#include "shapes/ShapePainter.h"

#include <array>
#include <cassert>
#include <cstdint>
#include <cctype>
#include <stdexcept>
#include <string_view>

namespace {

// The outline of every built-in kind, written in the terms of the drawing box. An entry is a list
// of operations separated by ";": Rectangle, RoundRect and Ellipse take a box, Pie a box and its
// start and end points, poly a closed polygon through the listed points. The gradient clip is
// "poly" (a winding polygon region through the outline's points), "same" or "or" (the regions of
// the outline's operations joined), "xor" (each later region cut out of or added to the first), or
// its own operations, where "&" before an operation intersects it with the region so far.
struct TOutlineRow {
    TvekShapeType Kind;
    const char* Outline;
    const char* Clip;
};

constexpr TOutlineRow OutlineTable[] = {
    {vstRectangle, "Rectangle(L,T,L+W,T+H)", "same"},
    {vstSquare, "Rectangle(L,T,L+W,T+H)", "same"},
    {vstRoundRect, "RoundRect(L,T,L+W,T+H,S4,S4)", "same"},
    {vstRoundSquare, "RoundRect(L,T,L+W,T+H,S4,S4)", "same"},
    {vstEllipse, "Ellipse(L,T,L+W,T+H)", "same"},
    {vstCircle, "Ellipse(L,T,L+W,T+H)", "same"},
    {vstValve, "poly (L,T) (R,B) (R,T) (L,B)", "poly"},
    {vstValveUp, "poly (L,T) (R,T) (L,B) (R,B)", "poly"},
    {vstHouse, "poly (L+W2,T) (R,T+H2) (R,B) (L,B) (L,T+H2)", "poly"},
    {vstTriangleRight, "poly (L,T) (R,T+H2) (L,B)", "poly"},
    {vstTriangleUp, "poly (L+W2,T) (R,B) (L,B)", "poly"},
    {vstTriangleLeft, "poly (R,T) (R,B) (L,T+H2)", "poly"},
    {vstTriangleDown, "poly (L,T) (R,T) (L+W2,B)", "poly"},
    {vstArrowRight, "poly (L,T+H2-H16) (R-W4,T+H2-H16) (R-W4,T) (R,T+H2) (R-W4,B) (R-W4,T+H2+H16) (L,T+H2+H16)", "poly"},
    {vstArrowUp, "poly (L+W2-W16,B) (L+W2-W16,T+H4) (L,T+H4) (L+W2,T) (R,T+H4) (L+W2+W16,T+H4) (L+W2+W16,B)", "poly"},
    {vstArrowLeft, "poly (R,T+H2-H16) (L+W4,T+H2-H16) (L+W4,T) (L,T+H2) (L+W4,B) (L+W4,T+H2+H16) (R,T+H2+H16)", "poly"},
    {vstArrowDown, "poly (L+W2-W16,T) (L+W2-W16,B-H4) (L,B-H4) (L+W2,B) (R,B-H4) (L+W2+W16,B-H4) (L+W2+W16,T)", "poly"},
    {vstArrowUpDown, "poly (L+W2,T) (L,T+H8) (L+W8,T+H8) (L+W8,B-H8) (L,B-H8) (L+W2,B) (R,B-H8) (R-W8,B-H8) "
                     "(R-W8,T+H8) (R,T+H8)", "poly"},
    {vstArrowLeftRight, "poly (L,T+H2) (L+W8,B) (L+W8,B-H8) (R-W8,B-H8) (R-W8,B) (R,T+H2) (R-W8,T) (R-W8,T+H8) "
                        "(L+W8,T+H8) (L+W8,T)", "poly"},
    {vstDiamond, "poly (L+W2,T) (R,T+H2) (L+W2,B) (L,T+H2)", "poly"},
    {vstOctagon, "poly (L+W3,T) (R-W3,T) (R,T+H3) (R,B-H3) (R-W3,B) (L+W3,B) (L,B-H3) (L,T+H3)", "poly"},
    {vstHexagon, "poly (L+W2,T) (R,T+H4) (R,B-H4) (L+W2,B) (L,B-H4) (L,T+H4)", "poly"},
    {vstHexagonFlat, "poly (L+W4,T) (R-W4,T) (R,T+H2) (R-W4,B) (L+W4,B) (L,T+H2)", "poly"},
    {vstUBarUp, "poly (L,T) (L,B) (R,B) (R,T) (R-W4,T) (R-W4,B-H4) (L+W4,B-H4) (L+W4,T)", "poly"},
    {vstUBarLeft, "poly (L,T) (R,T) (R,B) (L,B) (L,B-H4) (R-W4,B-H4) (R-W4,T+H4) (L,T+H4)", "poly"},
    {vstUBarDown, "poly (L,T) (L,B) (L+W4,B) (L+W4,T+H4) (R-W4,T+H4) (R-W4,B) (R,B) (R,T)", "poly"},
    {vstUBarRight, "poly (L,T) (L,B) (R,B) (R,B-H4) (L+W4,B-H4) (L+W4,T+H4) (R,T+H4) (R,T)", "poly"},
    {vstChairLeft, "poly (R,T) (R-W4,T) (R-W4,T+H2) (L,T+H2) (L,B) (L+W4,B) (L+W4,B-H4) (R-W4,B-H4) (R-W4,B) (R,B)", "poly"},
    {vstChairRight, "poly (L,T) (L+W4,T) (L+W4,T+H2) (R,T+H2) (R,B) (R-W4,B) (R-W4,B-H4) (L+W4,B-H4) (L+W4,B) (L,B)", "poly"},
    {vstBowlLeft, "Pie(L,T,L+W,T+H,L+W2,T,L+W2,T+H)", "Ellipse(L,T,L+W,T+H); &Rectangle(L,T,L+W2,T+H)"},
    {vstBowlRight, "Pie(L,T,L+W,T+H,L+W2,T+H,L+W2,T)", "Ellipse(L,T,L+W,T+H); &Rectangle(L+W2,T,L+W,T+H)"},
    {vstBowlDown, "Pie(L,T,L+W,T+H,L,T+H2,L+W,T+H2)", "Ellipse(L,T,L+W,T+H); &Rectangle(L,T+H2,L+W,T+H)"},
    {vstBowlUp, "Pie(L,T,L+W,T+H,L+W,T+H2,L,T+H2)", "Ellipse(L,T,L+W,T+H); &Rectangle(L,T,L+W,T+H2)"},
    {vstIBar, "poly (L,T) (R,T) (R,T+H4) (R-W4,T+H4) (R-W4,B-H4) (R,B-H4) (R,B) (L,B) (L,B-H4) (L+W4,B-H4) "
              "(L+W4,T+H4) (L,T+H4)", "poly"},
    {vstHBar, "poly (L,T) (L+W4,T) (L+W4,T+H4) (R-W4,T+H4) (R-W4,T) (R,T) (R,B) (R-W4,B) (R-W4,B-H4) (L+W4,B-H4) "
              "(L+W4,B) (L,B)", "poly"},
    {vst4Point, "poly (L,T) (L+W2,T+H4) (R,T) (R-W4,T+H2) (R,B) (L+W2,B-H4) (L,B) (L+W4,T+H2)", "poly"},
    {vstWaggle, "poly (L,T) (L+W4,T+H8) (L+W2,T) (R-W4,T+H8) (R,T) (R-W8,T+H4) (R,T+H2) (R-W8,B-H4) (R,B) "
                "(R-W4,B-H8) (L+W2,B) (L+W4,B-H8) (L,B) (L+W8,B-H4) (L,T+H2) (L+W8,T+H4)", "poly"},
    {vstCloudLeft, "Ellipse(L,T,R-W4,B-H4); Ellipse(L+W4,T+H4,R,B)", "or"},
    {vstCloudRight, "Ellipse(L+W4,T,R,B-H4); Ellipse(L,T+H4,R-W4,B)", "or"},
    {vstDoubleOval, "Ellipse(L,T,L+W2,B); Ellipse(L+W2,T,R,B)", "or"},
    {vstDoubleOvalV, "Ellipse(L,T,R,T+H2); Ellipse(L,T+H2,R,B)", "or"},
    {vstTorus, "Ellipse(L,T,R,B); Ellipse(L+W4,T+H4,R-W4,B-H4)", "xor"},
    {vstFrame, "Rectangle(L,T,R,B); Rectangle(L+W4,T+H4,R-W4,B-H4)", "xor"},
    {vstFrameNarrow, "Rectangle(L,T,R,B); Rectangle(L+W8,T+H8,R-W8,B-H8)", "xor"},
    {vstLBarUpLeft, "poly (L,T) (R,T) (R,T+H4) (L+W4,T+H4) (L+W4,B) (L,B)", "poly"},
    {vstLBarUpRight, "poly (L,T) (R,T) (R,B) (R-W4,B) (R-W4,T+H4) (L,T+H4)", "poly"},
    {vstLBarLeft, "poly (L,T) (L,B) (R,B) (R,B-H4) (L+W4,B-H4) (L+W4,T)", "poly"},
    {vstLBarRight, "poly (R,T) (R,B) (L,B) (L,B-H4) (R-W4,B-H4) (R-W4,T)", "poly"},
    {vst2HoleHoriz, "Ellipse(L,T,R,B); Ellipse(L+W8,T+H4,L+W2-W8,B-H4); Ellipse(L+W2+W8,T+H4,R-W8,B-H4)", "xor"},
    {vst2HoleVert, "Ellipse(L,T,R,B); Ellipse(L+W4,T+H8,R-W4,T+H2-H8); Ellipse(L+W4,T+H2+H8,R-W4,B-H8)", "xor"},
    {vstCubeUpRight, "poly (R-W3,T+H3) (L,T+H3) (L,B) (R-W3,B) (R-W3,T+H3) (R,T) (R,B-H3) (R-W3,B) (R-W3,T+H3) "
                     "(L,T+H3) (L+W3,T) (R,T)",
     "poly (L,B) (R-W3,B) (R,B-H3) (R,T) (L+W3,T) (L,T+H3)"},
    {vstCubeUpLeft, "poly (L+W3,T+H3) (R,T+H3) (R,B) (L+W3,B) (L+W3,T+H3) (L,T) (L,B-H3) (L+W3,B) (L+W3,T+H3) "
                    "(R,T+H3) (R-W3,T) (L,T)",
     "poly (L,T) (L,B-H3) (L+W3,B) (R,B) (R,T+H3) (R-W3,T)"},
    {vstCubeDownRight, "poly (R-W3,B-H3) (L,B-H3) (L,T) (R-W3,T) (R-W3,B-H3) (R-W3,T) (R,T+H3) (R,B) (R-W3,B-H3) "
                       "(L,B-H3) (L+W3,B) (R,B)",
     "poly (L,T) (L,B-H3) (L+W3,B) (R,B) (R,T+H3) (R-W3,T)"},
    {vstCubeDownLeft, "poly (L+W3,B-H3) (R,B-H3) (R,T) (L+W3,T) (L+W3,B-H3) (L+W3,T) (L,T+H3) (L,B) (L+W3,B-H3) "
                      "(R,B-H3) (R-W3,B) (L,B)",
     "poly (L,T+H3) (L,B) (R-W3,B) (R,B-H3) (R,T) (L+W3,T)"},
    {vstCubeHalf, "poly (R-W3,B-H3) (L,B-H3) (L,B) (R-W3,B) (R-W3,B-H3) (R,B-2*H3) (R,B-H3) (R-W3,B) (R-W3,B-H3) "
                  "(L,B-H3) (L+W3,B-2*H3) (R,B-2*H3)",
     "poly (L,B) (R-W3,B) (R,B-H3) (R,B-2*H3) (L+W3,B-2*H3) (L,B-H3)"},
    {vstRoofRight, "poly (R-W3,B) (R-W3,T+H3) (L,B) (R-W3,B) (R,B-H3) (R,T) (R-W3,T+H3)",
     "poly (L,B) (R-W3,B) (R,B-H3) (R,T) (R-W3,T+H3)"},
    {vstRoofLeft, "poly (L,T+H3) (L,B) (R-W3,B) (L,T+H3) (L+W3,T) (R,B-H3) (R-W3,B)",
     "poly (L,T+H3) (L,B) (R-W3,B) (R,B-H3) (L+W3,T)"},
    {vstRoofFront, "poly (R-W3,B) (R,T) (L+W3,T) (L,B) (R-W3,B) (R,B-H3) (R,T)",
     "poly (L,B) (R-W3,B) (R,B-H3) (R,T) (L+W3,T)"},
    {vstRoofBack, "poly (R-W3,B) (R-W3,T) (L,T) (L,B) (R-W3,B) (R,B-H3) (R-W3,T)",
     "poly (L,B) (R-W3,B) (R,B-H3) (R-W3,T) (L,T)"},
    {vstPyramid, "poly (R-W3,B) (L+W2,T) (L,B) (R-W3,B) (R,B-H3) (L+W2,T)", "poly (L,B) (R-W3,B) (R,B-H3) (L+W2,T)"},
    {vstMoret, "poly (L,T) (L,T+H4) (L+W8,T+H4) (L+W8,B-H4) (L,B-H4) (L,B) (L+W4,B) (L+W4,B-H8) (R-W4,B-H8) "
               "(R-W4,B) (R,B) (R,B-H4) (R-W8,B-H4) (R-W8,T+H4) (R,T+H4) (R,T) (R-W4,T) (R-W4,T+H8) (L+W4,T+H8) "
               "(L+W4,T)", "poly"},
    {vstZ, "poly (L,T) (L,T+H4) (R-W3,T+H4) (L,B-H4) (L,B) (R,B) (R,B-H4) (L+W3,B-H4) (R,T+H4) (R,T)", "poly"},
    {vstN, "poly (L,T) (L,B) (L+W4,B) (L+W4,T+H3) (R-W4,B) (R,B) (R,T) (R-W4,T) (R-W4,B-H3) (L+W4,T)", "poly"},
    {vstMatta, "poly (L,T) (L,T+H4) (L+W2,T+H2) (L,B-H4) (L,B) (L+W4,B) (L+W2,T+H2) (R-W4,B) (R,B) (R,B-H4) "
               "(L+W2,T+H2) (R,T+H4) (R,T) (R-W4,T) (L+W2,T+H2) (L+W4,T)", "poly"},
    {vstPistacheTop, "Ellipse(L,T,R,B); Rectangle(L,T+H2,R,B)", "or"},
    {vstPistacheBottom, "Ellipse(L,T,R,B); Rectangle(L,T,R,T+H2)", "or"},
    {vstPistacheLeft, "Ellipse(L,T,R,B); Rectangle(L+W2,T,R,B)", "or"},
    {vstPistacheRight, "Ellipse(L,T,R,B); Rectangle(L,T,L+W2,B)", "or"},
    {vst1Hole, "Rectangle(L,T,R,B); Ellipse(L+W4,T+H4,R-W4,B-H4)", "xor"},
    {vst1HoleBig, "Rectangle(L,T,R,B); Ellipse(L+W8,T+H8,R-W8,B-H8)", "xor"},
    {vstflower, "Ellipse(L,T+H3,L+W2,B-H3); Ellipse(L+W3,T,R-W3,T+H2); Ellipse(L+W2,T+H3,R,B-H3); "
                "Ellipse(L+W3,T+H2,R-W3,B)", "or"},
    {vstFatArrowUp, "poly (L+W8,B) (L+W8,T+H8) (L,T+H8) (L+W2,T) (R,T+H8) (R-W8,T+H8) (R-W8,B)", "poly"},
    {vstFatArrowLeft, "poly (R,T+H8) (L+W8,T+H8) (L+W8,T) (L,T+H2) (L+W8,B) (L+W8,B-H8) (R,B-H8)", "poly"},
    {vstFatArrowDown, "poly (L+W8,T) (L+W8,B-H8) (L,B-H8) (L+W2,B) (R,B-H8) (R-W8,B-H8) (R-W8,T)", "poly"},
    {vstFatArrowRight, "poly (L,T+H8) (R-W8,T+H8) (R-W8,T) (R,T+H2) (R-W8,B) (R-W8,B-H8) (L,B-H8)", "poly"},
};
static_assert(std::size(OutlineTable) == vstUser, "every built-in kind has an outline");

// The values of the drawing box a coordinate may name.
enum TBoxValue : std::uint8_t { bvL, bvT, bvR, bvB, bvW, bvH, bvS4, bvW2, bvW3, bvW4, bvW8, bvW16, bvH2, bvH3, bvH4, bvH8, bvH16 };
constexpr const char* BoxValueNames[] = {"L", "T", "R", "B", "W", "H", "S4", "W2", "W3", "W4", "W8", "W16",
                                         "H2", "H3", "H4", "H8", "H16"};

// A coordinate: a sum of box values with small whole factors.
struct TCoordTerm {
    std::int8_t Factor;
    TBoxValue Value;
};
struct TCoordExpr {
    std::array<TCoordTerm, 4> Terms{};
    int Count = 0;
};

struct TOpTemplate {
    TShapeFigure::TKind Kind;
    TRegionCombine Combine;
    std::vector<TCoordExpr> Coords; // polygons: x, y pairs
};

enum TClipRule { crPoly, crJoin, crXor, crOwn };

struct TKindTemplate {
    std::vector<TOpTemplate> Outline;
    TClipRule Clip = crPoly;
    std::vector<TOpTemplate> ClipOps;
};

// A reader of the outline texts above; the texts are ours, so a fault in one is a programming
// error caught by the tests that draw every kind.
class TOutlineReader {
public:
    explicit TOutlineReader(std::string_view text) : s_(text) {}

    std::vector<TOpTemplate> Ops()
    {
        std::vector<TOpTemplate> ops;
        for (;;) {
            Skip();
            if (p_ >= s_.size()) break;
            ops.push_back(Op());
            Skip();
            if (p_ < s_.size()) Expect(';');
        }
        return ops;
    }

private:
    void Skip()
    {
        while (p_ < s_.size() && s_[p_] == ' ') ++p_;
    }
    void Expect(char c)
    {
        Skip();
        if (p_ >= s_.size() || s_[p_] != c) throw std::logic_error("outline table: expected " + std::string(1, c));
        ++p_;
    }
    bool Accept(char c)
    {
        Skip();
        if (p_ < s_.size() && s_[p_] == c) return ++p_, true;
        return false;
    }
    std::string_view Word()
    {
        Skip();
        const std::size_t start = p_;
        while (p_ < s_.size() && std::isalnum(static_cast<unsigned char>(s_[p_]))) ++p_;
        return s_.substr(start, p_ - start);
    }
    TCoordExpr Coord()
    {
        TCoordExpr e;
        int sign = 1;
        for (;;) {
            int factor = 1;
            Skip();
            if (p_ < s_.size() && std::isdigit(static_cast<unsigned char>(s_[p_]))) {
                factor = s_[p_++] - '0';
                Expect('*');
            }
            const std::string_view name = Word();
            int value = -1;
            for (int i = 0; i < int(std::size(BoxValueNames)); ++i)
                if (name == BoxValueNames[i]) value = i;
            if (value < 0 || e.Count == int(e.Terms.size())) throw std::logic_error("outline table: bad coordinate");
            e.Terms[e.Count++] = {std::int8_t(sign * factor), TBoxValue(value)};
            if (Accept('+'))
                sign = 1;
            else if (Accept('-'))
                sign = -1;
            else
                return e;
        }
    }
    TOpTemplate Op()
    {
        TOpTemplate op{TShapeFigure::fgRectangle, rgnCopy, {}};
        if (Accept('&')) op.Combine = rgnAnd;
        const std::string_view name = Word();
        if (name == "poly") {
            op.Kind = TShapeFigure::fgPolygon;
            while (Accept('(')) {
                op.Coords.push_back(Coord());
                Expect(',');
                op.Coords.push_back(Coord());
                Expect(')');
            }
            return op;
        }
        std::size_t count = 4;
        if (name == "Rectangle") op.Kind = TShapeFigure::fgRectangle;
        else if (name == "Ellipse") op.Kind = TShapeFigure::fgEllipse;
        else if (name == "RoundRect") op.Kind = TShapeFigure::fgRoundRect, count = 6;
        else if (name == "Pie") op.Kind = TShapeFigure::fgPie, count = 8;
        else throw std::logic_error("outline table: unknown operation");
        Expect('(');
        for (std::size_t i = 0; i < count; ++i) {
            if (i) Expect(',');
            op.Coords.push_back(Coord());
        }
        Expect(')');
        return op;
    }

    std::string_view s_;
    std::size_t p_ = 0;
};

const std::vector<TKindTemplate>& KindTemplates()
{
    static const std::vector<TKindTemplate> templates = [] {
        std::vector<TKindTemplate> all(vstUser);
        for (const TOutlineRow& row : OutlineTable) {
            TKindTemplate& t = all[row.Kind];
            t.Outline = TOutlineReader(row.Outline).Ops();
            const std::string_view clip = row.Clip;
            if (clip == "poly") t.Clip = crPoly;
            else if (clip == "same" || clip == "or") t.Clip = crJoin;
            else if (clip == "xor") t.Clip = crXor;
            else t.Clip = crOwn, t.ClipOps = TOutlineReader(clip).Ops();
        }
        return all;
    }();
    return templates;
}

int Evaluate(const TCoordExpr& e, const std::array<int, std::size(BoxValueNames)>& values)
{
    std::int64_t v = 0;
    for (int i = 0; i < e.Count; ++i) v += std::int64_t(e.Terms[i].Factor) * values[e.Terms[i].Value];
    return shapemath::ClampInt(v);
}

TShapeFigure Instantiate(const TOpTemplate& op, const std::array<int, std::size(BoxValueNames)>& values)
{
    TShapeFigure f{op.Kind, {}, {}, op.Combine};
    if (op.Kind == TShapeFigure::fgPolygon) {
        for (std::size_t i = 0; i + 1 < op.Coords.size(); i += 2)
            f.Points.push_back({Evaluate(op.Coords[i], values), Evaluate(op.Coords[i + 1], values)});
    } else {
        for (const TCoordExpr& c : op.Coords) f.Args.push_back(Evaluate(c, values));
    }
    return f;
}

std::array<int, std::size(BoxValueNames)> BoxValues(const TDrawingBox& b)
{
    return {b.L, b.T, b.R, b.B, b.W, b.H, b.S / 4, b.W2, b.W3, b.W4, b.W8, b.W16, b.H2, b.H3, b.H4, b.H8, b.H16};
}

// The user outline on the canvas: each unit point mapped into the box.
std::vector<TPoint> UserOutlinePoints(const TvekShape& shape, const TDrawingBox& b)
{
    std::vector<TPoint> points;
    points.reserve(shape.UserPoints().size());
    for (const TUnitPoint& u : shape.UserPoints())
        points.push_back({shapemath::ClampInt(std::int64_t(b.L) + shapemath::Round((long double)(b.R - b.L) * u.X)),
                          shapemath::ClampInt(std::int64_t(b.T) + shapemath::Round((long double)(b.B - b.T) * u.Y))});
    return points;
}

QRegion FigureRegion(const TShapeFigure& f)
{
    const std::vector<int>& a = f.Args;
    switch (f.Kind) {
    case TShapeFigure::fgRectangle: return RectRegion(a[0], a[1], a[2], a[3]);
    case TShapeFigure::fgRoundRect: return RoundRectRegion(a[0], a[1], a[2], a[3], a[4], a[5]);
    case TShapeFigure::fgEllipse: return EllipticRegion(a[0], a[1], a[2], a[3]);
    case TShapeFigure::fgPolygon: return PolygonRegion(f.Points, pfmWinding);
    case TShapeFigure::fgPie:
    case TShapeFigure::fgPolyline: break;
    }
    assert(false && "no region for this figure");
    return QRegion();
}

} // namespace

std::vector<TShapeFigure> ShapeOutline(const TvekShape& shape, const TDrawingBox& box)
{
    if (shape.Shape() == vstUser) {
        TShapeFigure f{shape.PolyLineMode() ? TShapeFigure::fgPolyline : TShapeFigure::fgPolygon, {},
                       UserOutlinePoints(shape, box)};
        return {f};
    }
    const auto values = BoxValues(box);
    std::vector<TShapeFigure> figures;
    for (const TOpTemplate& op : KindTemplates()[shape.Shape()].Outline) figures.push_back(Instantiate(op, values));
    return figures;
}

std::vector<TShapeFigure> ShapeClipFigures(const TvekShape& shape, const TDrawingBox& box)
{
    if (shape.Shape() == vstUser) return ShapeOutline(shape, box);
    const TKindTemplate& t = KindTemplates()[shape.Shape()];
    const auto values = BoxValues(box);
    std::vector<TShapeFigure> figures;
    if (t.Clip == crOwn) {
        for (const TOpTemplate& op : t.ClipOps) figures.push_back(Instantiate(op, values));
        return figures;
    }
    for (const TOpTemplate& op : t.Outline) {
        figures.push_back(Instantiate(op, values));
        if (figures.size() > 1) figures.back().Combine = t.Clip == crXor ? rgnXor : rgnOr;
    }
    return figures;
}

QRegion ShapeClipRegion(const TvekShape& shape, const TDrawingBox& box)
{
    QRegion region;
    for (const TShapeFigure& f : ShapeClipFigures(shape, box)) {
        const QRegion r = FigureRegion(f);
        switch (f.Combine) {
        case rgnAnd: region &= r; break;
        case rgnOr: region |= r; break;
        case rgnXor: region ^= r; break;
        case rgnDiff: region -= r; break;
        case rgnCopy: region = r; break;
        }
    }
    return region;
}
