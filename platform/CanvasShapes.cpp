#include "platform/CanvasShapes.h"

#include <algorithm>
#include <cmath>

namespace canvas {
namespace {

using i128 = __int128;

// Passes on the pixels of row y whose centres lie in [xa, xb].
void SpanCentres(TSpanSink& sink, int y, double xa, double xb)
{
    const QRect& a = sink.Area();
    const double lo = std::max(std::ceil(xa - 0.5), double(a.left()));
    const double hi = std::min(std::floor(xb - 0.5), double(a.right()));
    if (lo <= hi) sink.Span(y, static_cast<int>(lo), static_cast<int>(hi));
}

template <typename F> void ForEachMarked(TMask& mask, std::uint8_t bits, F&& f)
{
    const QRect& a = mask.Area;
    for (int y = a.top(); y <= a.bottom(); ++y) {
        std::uint8_t* row = mask.Row(y) - a.left();
        int x0 = a.left(), x1 = a.right();
        if (!mask.Extent(y, x0, x1)) continue;
        for (int x = x0; x <= x1; ++x)
            if (row[x] & bits) f(x, y, row[x]);
    }
}

// Rounding of a Bresenham step: the minor offset after i major steps, ties towards the start.
std::int64_t MinorStep(std::int64_t i, std::int64_t minor, std::int64_t major)
{
    return static_cast<std::int64_t>((i128(2) * i * minor + major - 1) / (i128(2) * major));
}

constexpr double Eps = 1e-9;

} // namespace

bool TDash::On(std::int64_t step) const
{
    if (!Pattern || Pattern->empty()) return true;
    std::int64_t period = 0;
    for (int v : *Pattern) period += v;
    std::int64_t p = ((Position + step) % period + period) % period;
    for (std::size_t k = 0; k < Pattern->size(); ++k) {
        if (p < (*Pattern)[k]) return k % 2 == 0;
        p -= (*Pattern)[k];
    }
    return true;
}

void PlotLine(TMask& mask, std::int64_t x0, std::int64_t y0, std::int64_t x1, std::int64_t y1, TDash& dash,
              std::uint8_t bits)
{
    const std::int64_t adx = x1 > x0 ? x1 - x0 : x0 - x1, ady = y1 > y0 ? y1 - y0 : y0 - y1;
    const std::int64_t n = std::max(adx, ady);
    // The pattern runs on along the whole segment, drawn or not, so clipping never shifts it.
    const TDash here = dash;
    dash.Position += n;
    if (n <= 0 || mask.Empty()) return;
    const bool xMajor = adx >= ady;
    const std::int64_t m0 = xMajor ? x0 : y0, n0 = xMajor ? y0 : x0;
    const int sm = (xMajor ? x1 >= x0 : y1 >= y0) ? 1 : -1;
    const int sn = (xMajor ? y1 >= y0 : x1 >= x0) ? 1 : -1;
    const std::int64_t minor = xMajor ? ady : adx;
    const QRect& a = mask.Area;
    const std::int64_t mLo = xMajor ? a.left() : a.top(), mHi = xMajor ? a.right() : a.bottom();
    const std::int64_t nLo = xMajor ? a.top() : a.left(), nHi = xMajor ? a.bottom() : a.right();

    // Steps whose major coordinate falls inside the mask.
    std::int64_t iLo = sm > 0 ? mLo - m0 : m0 - mHi, iHi = sm > 0 ? mHi - m0 : m0 - mLo;
    iLo = std::max<std::int64_t>(iLo, 0);
    iHi = std::min<std::int64_t>(iHi, n - 1);
    if (iLo > iHi) return;
    // The minor offset grows with the step: narrow the range by binary search on it.
    const std::int64_t fLo = sn > 0 ? nLo - n0 : n0 - nHi, fHi = sn > 0 ? nHi - n0 : n0 - nLo;
    std::int64_t lo = iLo, hi = iHi + 1;
    while (lo < hi) {
        std::int64_t mid = lo + (hi - lo) / 2;
        if (MinorStep(mid, minor, n) >= fLo)
            hi = mid;
        else
            lo = mid + 1;
    }
    iLo = lo;
    lo = iLo, hi = iHi + 1;
    while (lo < hi) {
        std::int64_t mid = lo + (hi - lo) / 2;
        if (MinorStep(mid, minor, n) > fHi)
            hi = mid;
        else
            lo = mid + 1;
    }
    iHi = lo - 1;
    for (std::int64_t i = iLo; i <= iHi; ++i) {
        const std::int64_t f = MinorStep(i, minor, n);
        const std::int64_t mj = m0 + sm * i, mn = n0 + sn * f;
        const int x = static_cast<int>(xMajor ? mj : mn), y = static_cast<int>(xMajor ? mn : mj);
        mask.Mark(x, y, here.On(i) ? bits : std::uint8_t(cvGap));
    }
}

void PlotWideLine(TMask& mask, double x0, double y0, double x1, double y1, int width, std::uint8_t bits)
{
    // Pixel centres sit at +0.5; an even band leans towards the top left, as the box rules expect.
    const double shift = (width % 2 == 0) ? 0.0 : 0.5;
    x0 += shift, y0 += shift, x1 += shift, y1 += shift;
    const double r = width / 2.0;
    const QRect box(QPoint(int(std::max(std::floor(std::min(x0, x1) - r), -2e9)),
                           int(std::max(std::floor(std::min(y0, y1) - r), -2e9))),
                    QPoint(int(std::min(std::ceil(std::max(x0, x1) + r), 2e9)),
                           int(std::min(std::ceil(std::max(y0, y1) + r), 2e9))));
    const QRect area = box & mask.Area;
    if (area.isEmpty()) return;
    const double dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    const double r2 = r * r + Eps;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        std::uint8_t* row = mask.Row(y) - mask.Area.left();
        const double py = y + 0.5;
        int first = area.right() + 1, last = area.left() - 1;
        for (int x = area.left(); x <= area.right(); ++x) {
            const double px = x + 0.5;
            double t = len2 > 0 ? ((px - x0) * dx + (py - y0) * dy) / len2 : 0.0;
            t = std::clamp(t, 0.0, 1.0);
            const double ex = px - (x0 + t * dx), ey = py - (y0 + t * dy);
            if (ex * ex + ey * ey <= r2) {
                row[x] |= bits;
                first = std::min(first, x), last = x;
            }
        }
        if (first <= last) mask.Touch(y, first, last), mask.Used |= bits;
    }
}

void FillRectangle(TSpanSink& sink, double left, double top, double right, double bottom)
{
    const QRect& a = sink.Area();
    const double yLo = std::max(std::ceil(top - 0.5), double(a.top()));
    const double yHi = std::min(std::ceil(bottom - 0.5) - 1, double(a.bottom()));
    for (double y = yLo; y <= yHi; ++y) SpanCentres(sink, int(y), left, right - Eps);
}

void FillEllipse(TSpanSink& sink, double left, double top, double right, double bottom)
{
    const double rx = (right - left) / 2, ry = (bottom - top) / 2;
    if (rx <= 0 || ry <= 0) return;
    const double cx = (left + right) / 2, cy = (top + bottom) / 2;
    const QRect& a = sink.Area();
    const int yLo = static_cast<int>(std::max(std::floor(top), double(a.top())));
    const int yHi = static_cast<int>(std::min(std::ceil(bottom), double(a.bottom())));
    for (int y = yLo; y <= yHi; ++y) {
        const double d = (y + 0.5 - cy) / ry;
        if (std::fabs(d) > 1) continue;
        const double hw = rx * std::sqrt(1 - d * d) + Eps;
        SpanCentres(sink, y, cx - hw, cx + hw);
    }
}

void FillRoundRect(TSpanSink& sink, double left, double top, double right, double bottom, double cornerWidth,
                   double cornerHeight)
{
    if (right <= left || bottom <= top) return;
    const double rx = std::clamp(cornerWidth, 0.0, right - left) / 2;
    const double ry = std::clamp(cornerHeight, 0.0, bottom - top) / 2;
    if (rx <= 0 || ry <= 0) {
        FillRectangle(sink, left, top, right, bottom);
        return;
    }
    const QRect& a = sink.Area();
    const int yLo = static_cast<int>(std::max(std::floor(top), double(a.top())));
    const int yHi = static_cast<int>(std::min(std::ceil(bottom), double(a.bottom())));
    for (int y = yLo; y <= yHi; ++y) {
        const double yc = y + 0.5;
        if (yc < top || yc > bottom) continue;
        double inset = 0;
        double d = yc < top + ry ? (top + ry - yc) / ry : yc > bottom - ry ? (yc - (bottom - ry)) / ry : 0;
        if (d > 0) inset = rx - rx * std::sqrt(std::max(0.0, 1 - d * d)) - Eps;
        SpanCentres(sink, y, left + inset, right - inset - Eps);
    }
}

void FillPolygon(TSpanSink& sink, const std::vector<QPointF>& points, bool winding)
{
    if (points.size() < 2 || sink.Area().isEmpty()) return;
    struct Edge {
        double x0, y0, x1, y1;
        int dir;
    };
    std::vector<Edge> edges;
    double top = points[0].y(), bottom = top;
    for (std::size_t k = 0; k < points.size(); ++k) {
        QPointF p = points[k], q = points[(k + 1) % points.size()];
        top = std::min(top, p.y()), bottom = std::max(bottom, p.y());
        if (p.y() == q.y()) continue;
        if (p.y() < q.y())
            edges.push_back({p.x(), p.y(), q.x(), q.y(), 1});
        else
            edges.push_back({q.x(), q.y(), p.x(), p.y(), -1});
    }
    // Edges sorted by their top, an active list per row: long outlines stay fast.
    std::sort(edges.begin(), edges.end(), [](const Edge& p, const Edge& q) { return p.y0 < q.y0; });
    const QRect& a = sink.Area();
    const int yLo = static_cast<int>(std::max(std::floor(top), double(a.top())));
    const int yHi = static_cast<int>(std::min(std::ceil(bottom), double(a.bottom())));
    std::vector<std::pair<double, int>> cross;
    std::vector<const Edge*> active;
    std::size_t next = 0;
    for (int y = yLo; y <= yHi; ++y) {
        const double yc = y + 0.5;
        while (next < edges.size() && edges[next].y0 <= yc) active.push_back(&edges[next++]);
        std::erase_if(active, [yc](const Edge* e) { return e->y1 <= yc; });
        cross.clear();
        for (const Edge* e : active)
            if (yc >= e->y0) cross.emplace_back(e->x0 + (yc - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0), e->dir);
        std::sort(cross.begin(), cross.end());
        int count = 0;
        for (std::size_t k = 0; k + 1 < cross.size(); ++k) {
            count += winding ? cross[k].second : 1;
            const bool inside = winding ? count != 0 : (count & 1) != 0;
            if (inside) SpanCentres(sink, y, cross[k].first, cross[k + 1].first - Eps);
        }
    }
}

void KeepSector(TMask& mask, QPointF centre, QPointF from, QPointF to, std::uint8_t bits)
{
    // Mathematical orientation: y grows upwards, so counter-clockwise is a positive cross product.
    const double sx = from.x() - centre.x(), sy = centre.y() - from.y();
    const double ex = to.x() - centre.x(), ey = centre.y() - to.y();
    if ((sx == 0 && sy == 0) || (ex == 0 && ey == 0)) return;
    const double c = sx * ey - sy * ex, dot = sx * ex + sy * ey;
    if (c == 0 && dot > 0) return; // start and end on one ray: the whole figure
    const bool narrow = c > 0;
    const bool half = c == 0;
    ForEachMarked(mask, bits, [&](int x, int y, std::uint8_t& m) {
        const double px = x + 0.5 - centre.x(), py = centre.y() - (y + 0.5);
        const bool afterStart = sx * py - sy * px >= 0, beforeEnd = px * ey - py * ex >= 0;
        const bool in = half ? afterStart : narrow ? (afterStart && beforeEnd) : (afterStart || beforeEnd);
        if (!in) m &= static_cast<std::uint8_t>(~bits);
    });
}

void KeepArcSide(TMask& mask, QPointF from, QPointF to, std::uint8_t bits)
{
    const double dx = to.x() - from.x(), dy = to.y() - from.y();
    if (dx == 0 && dy == 0) return;
    ForEachMarked(mask, bits, [&](int x, int y, std::uint8_t& m) {
        if (dx * (y + 0.5 - from.y()) - dy * (x + 0.5 - from.x()) < 0) m &= static_cast<std::uint8_t>(~bits);
    });
}

void MarkRim(TMask& mask, std::uint8_t from, std::uint8_t to)
{
    const QRect& a = mask.Area;
    const int w = a.width();
    for (int y = a.top(); y <= a.bottom(); ++y) {
        int x0 = a.left(), x1 = a.right();
        if (!mask.Extent(y, x0, x1)) continue;
        std::uint8_t* row = mask.Row(y);
        const std::uint8_t* up = y > a.top() ? row - w : nullptr;
        const std::uint8_t* down = y < a.bottom() ? row + w : nullptr;
        const int i0 = x0 - a.left(), i1 = x1 - a.left();
        auto edge = [&](int i) {
            if (!(row[i] & from)) return;
            const bool inner = i > 0 && i + 1 < w && (row[i - 1] & from) && (row[i + 1] & from) && up && (up[i] & from) &&
                               down && (down[i] & from);
            if (!inner) row[i] |= to;
        };
        if (!up || !down || i1 - i0 < 2) {
            for (int i = i0; i <= i1; ++i) edge(i);
            continue;
        }
        // Branch-free in the middle: a pixel is rim unless it and its four neighbours all have `from`.
        edge(i0);
        edge(i1);
        for (int i = std::max(i0 + 1, 1); i < std::min(i1, w - 1); ++i) {
            const std::uint8_t all = row[i - 1] & row[i] & row[i + 1] & up[i] & down[i] & from;
            const std::uint8_t rim = (row[i] & from) & ~all;
            row[i] |= rim ? to : 0;
        }
    }
    mask.Used |= to;
}

void ClearWhere(TMask& mask, std::uint8_t bits, std::uint8_t unless)
{
    ForEachMarked(mask, unless, [&](int, int, std::uint8_t& m) { m &= static_cast<std::uint8_t>(~bits); });
}

void TMaskSink::Span(int y, int x0, int x1)
{
    std::uint8_t* row = mask_.Row(y) - mask_.Area.left();
    for (int x = x0; x <= x1; ++x) row[x] |= bits_;
    mask_.Used |= bits_;
    mask_.Touch(y, x0, x1);
}

void TRegionSink::Span(int y, int x0, int x1)
{
    if (!row_.empty() && y != rowY_) CloseRow();
    rowY_ = y;
    // Runs that touch are one run; a region keeps them apart only where a gap lies between.
    if (!row_.empty() && x0 <= row_.back().right() + 1) {
        row_.back().setRight(std::max(row_.back().right(), x1));
        return;
    }
    row_.emplace_back(QPoint(x0, y), QPoint(x1, y));
}

void TRegionSink::CloseRow()
{
    // Equal runs on the row below one band extend that band, as QRegion keeps its rectangles.
    const bool extends = bandEnd_ > bandStart_ && bandEnd_ == rects_.size() && rects_[bandStart_].bottom() == rowY_ - 1 &&
                         bandEnd_ - bandStart_ == row_.size() &&
                         std::equal(row_.begin(), row_.end(), rects_.begin() + static_cast<std::ptrdiff_t>(bandStart_),
                                    [](const QRect& p, const QRect& q) { return p.left() == q.left() && p.right() == q.right(); });
    if (extends) {
        for (std::size_t k = bandStart_; k < bandEnd_; ++k) rects_[k].setBottom(rowY_);
    } else {
        bandStart_ = rects_.size();
        rects_.insert(rects_.end(), row_.begin(), row_.end());
        bandEnd_ = rects_.size();
    }
    row_.clear();
}

QRegion TRegionSink::Region()
{
    if (!row_.empty()) CloseRow();
    QRegion region;
    if (!rects_.empty()) region.setRects(rects_.data(), static_cast<int>(rects_.size()));
    return region;
}

} // namespace canvas
