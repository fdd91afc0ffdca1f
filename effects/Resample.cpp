// Stretch: two separable passes with precomputed contributor lists, and its filter functions.
// Filter arguments, weights and the running channel sums are 32-bit floats between extended
// precision steps; the pixels written depend on that, so the arithmetic below keeps it exactly.
#include "effects/PaintFX.h"
#include "effects/PixelOps.h"

#include "platform/Errors.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

using namespace fx;

namespace {

constexpr long double kPi = 3.141592653589793238462643383279502884L;

} // namespace

float BoxFilter(float x) { return x > -0.5f && x <= 0.5f ? 1.0f : 0.0f; }

float TriangleFilter(float x)
{
    const long double a = std::fabs(x);
    return a < 1 ? static_cast<float>(1 - a) : 0.0f;
}

float HermiteFilter(float x)
{
    const long double a = std::fabs(x);
    return a < 1 ? static_cast<float>((2 * a - 3) * a * a + 1) : 0.0f;
}

float BellFilter(float x)
{
    const long double a = std::fabs(x);
    if (a < 0.5L) return static_cast<float>(0.75L - a * a);
    if (a < 1.5L) {
        const long double t = a - 1.5L;
        return static_cast<float>(0.5L * t * t);
    }
    return 0.0f;
}

float SplineFilter(float x)
{
    const long double a = std::fabs(x);
    if (a < 1) return static_cast<float>(0.5L * a * a * a - a * a + 2.0L / 3.0L);
    if (a < 2) {
        const long double t = 2 - a;
        return static_cast<float>(t * t * t / 6);
    }
    return 0.0f;
}

float MitchellFilter(float x)
{
    const long double a = std::fabs(x);
    if (a < 1) return static_cast<float>((7 * a * a * a - 12 * a * a + 16.0L / 3.0L) / 6);
    if (a < 2) return static_cast<float>((-7.0L / 3.0L * a * a * a + 12 * a * a - 20 * a + 32.0L / 3.0L) / 6);
    return 0.0f;
}

float SincFilter(float x)
{
    if (x == 0) return 1.0f;
    const float px = static_cast<float>(kPi * x);
    return static_cast<float>(std::sin(static_cast<long double>(px)) / px);
}

float Lanczos3Filter(float x)
{
    if (std::fabs(x) >= 3) return 0.0f;
    return static_cast<float>(static_cast<long double>(SincFilter(x)) *
                              SincFilter(static_cast<float>(static_cast<long double>(x) / 3)));
}

namespace {

struct TContributor {
    int pixel;
    float weight;
};

// For each destination index the (source index, weight) pairs, stored one list after the other.
struct TContributorLists {
    std::vector<std::size_t> first; // one more than the destination size
    std::vector<TContributor> entries;
};

// (d - 1) / (s - 1) puts the edge pixels onto each other. A single source pixel has no such pair and
// takes d / s; so does a single destination pixel, where the ratio would be 0 and every centre a
// division by zero.
float ScaleFactor(int d, int s)
{
    if (s == 1 || d == 1) return static_cast<float>(static_cast<long double>(d) / s);
    return static_cast<float>(static_cast<long double>(d - 1) / (s - 1));
}

// Reflection at both edges; a source smaller than the support can reflect past the other edge,
// and those taps are clamped into the image.
int SourceIndex(long long j, int s)
{
    const long long v = j < 0 ? -j : (j >= s ? 2LL * s - j - 1 : j);
    return static_cast<int>(std::clamp<long long>(v, 0, s - 1));
}

constexpr long double kMaxSpan = 1 << 22;
constexpr std::size_t kMaxEntries = std::size_t(1) << 27;

TContributorLists BuildContributors(int d, int s, float scale, float support, TFilterFunction filter)
{
    TContributorLists lists;
    lists.first.reserve(static_cast<std::size_t>(d) + 1);
    const bool shrink = scale < 1;
    const float width = shrink ? static_cast<float>(static_cast<long double>(support) / scale) : support;
    const float fscale = shrink ? static_cast<float>(1.0L / scale) : 1.0f;
    for (int i = 0; i < d; ++i) {
        lists.first.push_back(lists.entries.size());
        const float center = static_cast<float>(static_cast<long double>(i) / scale);
        const long double lo = std::floor(static_cast<long double>(center) - width);
        const long double hi = std::ceil(static_cast<long double>(center) + width);
        if (!(hi - lo < kMaxSpan) || lists.entries.size() + static_cast<std::size_t>(std::max(0.0L, hi - lo + 1)) > kMaxEntries)
            throw EvekImageError("Filter support out of range");
        for (long long j = static_cast<long long>(lo); j <= static_cast<long long>(hi); ++j) {
            const long double offset = static_cast<long double>(center) - j;
            float weight;
            if (shrink)
                weight = static_cast<float>(filter(static_cast<float>(offset / fscale)) / static_cast<long double>(fscale));
            else
                weight = filter(static_cast<float>(offset));
            if (weight != 0) lists.entries.push_back({SourceIndex(j, s), weight});
        }
    }
    lists.first.push_back(lists.entries.size());
    return lists;
}

// One accumulation step over a run of lanes: acc := acc + in * w, computed in double and held as a
// float. The stored results come from extended precision, which rounds to the same float except
// when the double result lies exactly halfway between two floats; such steps are reported so that
// the caller recomputes the run in extended precision.
__attribute__((target_clones("avx2", "default"))) bool AccumulateFast(float* acc, const std::uint8_t* in, double w,
                                                                      std::size_t n)
{
    std::uint64_t halfway = 0;
    for (std::size_t l = 0; l < n; ++l) {
        const double d = static_cast<double>(acc[l]) + static_cast<double>(in[l]) * w;
        acc[l] = static_cast<float>(d);
        halfway |= (std::bit_cast<std::uint64_t>(d) & 0x1FFFFFFFu) == 0x10000000u;
    }
    return halfway != 0;
}

void AccumulateExact(float* acc, const std::uint8_t* in, float w, std::size_t n)
{
    for (std::size_t l = 0; l < n; ++l)
        acc[l] = static_cast<float>(static_cast<long double>(acc[l]) + static_cast<long double>(in[l]) * w);
}

// Above 255 gives 255, below 0 gives 0, otherwise Round; adding and taking away 1.5 * 2^23 rounds
// a float of this range to the nearest integer with halves to even.
__attribute__((target_clones("avx2", "default"))) void StoreBytes(const float* acc, std::uint8_t* out, std::size_t n)
{
    for (std::size_t l = 0; l < n; ++l) {
        const float v = acc[l];
        const float r = (v + 0x1.8p23f) - 0x1.8p23f;
        out[l] = v > 255 ? 255 : (v < 0 ? 0 : static_cast<std::uint8_t>(static_cast<int>(r)));
    }
}

// One destination line as the weighted sum of source lines: line i of out = sum over the
// contributors of i of the line (source index) times weight, lane by lane. Lanes share their
// contributor list, so the work runs along the lines.
void CombineLines(const TContributorLists& lists, int i, const std::uint8_t* base, std::size_t stride,
                  std::size_t lanes, std::uint8_t* out)
{
    constexpr std::size_t kRun = 2048;
    alignas(32) float acc[kRun];
    const TContributor* first = lists.entries.data() + lists.first[i];
    const TContributor* last = lists.entries.data() + lists.first[i + 1];
    for (std::size_t start = 0; start < lanes; start += kRun) {
        const std::size_t n = std::min(kRun, lanes - start);
        std::fill_n(acc, n, 0.0f);
        bool halfway = false;
        for (const TContributor* c = first; c != last; ++c)
            halfway |= AccumulateFast(acc, base + static_cast<std::size_t>(c->pixel) * stride + start, c->weight, n);
        if (halfway) {
            std::fill_n(acc, n, 0.0f);
            for (const TContributor* c = first; c != last; ++c)
                AccumulateExact(acc, base + static_cast<std::size_t>(c->pixel) * stride + start, c->weight, n);
        }
        StoreBytes(acc, out + start, n);
    }
}

} // namespace

void TvekPaintFX::Stretch(TBitmap& src, TBitmap& dst, float support, TFilterFunction filter)
{
    const int sw = src.Width(), sh = src.Height();
    if (sw < 1 || sh < 1) throw EvekImageError("Source bitmap too small");
    const int dw = dst.Width(), dh = dst.Height();
    TBitmap::CheckDimensions(dw, sh); // the work image between the passes
    Ensure24(src);
    Ensure24(dst);
    if (dw == 0 || dh == 0) return;

    const TContributorLists columns = BuildContributors(dw, sw, ScaleFactor(dw, sw), support, filter);
    const TContributorLists rows = BuildContributors(dh, sh, ScaleFactor(dh, sh), support, filter);

    // Horizontal pass. The source is turned on its side first so that a destination column is a
    // sum of whole source columns; then the result is turned back.
    const std::size_t columnBytes = 3 * static_cast<std::size_t>(sh);
    std::vector<std::uint8_t> work;
    {
        std::vector<std::uint8_t> srcColumns(columnBytes * sw);
        Transpose24(src.ScanLine(0), static_cast<std::size_t>(src.RowBytes()), sw, sh, srcColumns.data(), columnBytes,
                    false);
        std::vector<std::uint8_t> workColumns(columnBytes * dw);
        for (int i = 0; i < dw; ++i)
            CombineLines(columns, i, srcColumns.data(), columnBytes, columnBytes, workColumns.data() + i * columnBytes);
        srcColumns = {};
        work.resize(3 * static_cast<std::size_t>(dw) * sh);
        Transpose24(workColumns.data(), columnBytes, sh, dw, work.data(), 3 * static_cast<std::size_t>(dw), false);
    }

    // Vertical pass.
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(dw);
    for (int i = 0; i < dh; ++i) CombineLines(rows, i, work.data(), rowBytes, rowBytes, dst.ScanLine(i));
}
