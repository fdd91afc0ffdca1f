// Stretch: two separable passes with precomputed contributor lists, and its filter functions.
// Filter arguments, weights and the running channel sums are 32-bit floats between extended
// precision steps; the pixels written depend on that, so the arithmetic below keeps it exactly.
#include "effects/PaintFX.h"
#include "effects/PixelOps.h"

#include "platform/Errors.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <immintrin.h>
#include <memory>
#include <vector>

using namespace fx;

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

// How a destination index is summed exactly (see SumMode). smChecked is summed as smExtended, and
// blocks of rows may take double steps that watch for the one case where they differ.
enum TSumMode : std::uint8_t { smFused, smDouble, smExtended, smChecked };

// For each destination index the (source index, weight) pairs, stored one list after the other.
struct TContributorLists {
    std::vector<std::size_t> first; // one more than the destination size
    std::vector<TContributor> entries;
    std::vector<TSumMode> mode;
    const TContributor* begin(int i) const { return entries.data() + first[i]; }
    const TContributor* end(int i) const { return entries.data() + first[i + 1]; }
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

bool HaveFusedMultiplyAdd()
{
    static const bool have = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return have;
}

// How one destination line can be summed exactly. The stored results add each product in extended
// precision and keep the sum as a float, so a float step is exact when the unrounded sum fits in the
// extended mantissa (64 bits): a fused multiply-add rounds it once, just the same. When it even fits
// in a double (53 bits) the double sum rounded to float is exact as well. Every partial sum is a
// multiple of the smallest weight's last bit and bounded by 255 times the sum of |weight|, which
// tells how many bits it can need.
TSumMode SumMode(const TContributor* first, const TContributor* last)
{
    if (first == last) return HaveFusedMultiplyAdd() ? smFused : smDouble;
    int lowest = INT32_MAX;
    long double total = 0;
    for (const TContributor* c = first; c != last; ++c) {
        lowest = std::min(lowest, std::ilogb(c->weight) - 23);
        total += std::fabs(static_cast<long double>(c->weight));
    }
    // The rounded partial sums may exceed the exact ones by a factor (1 + 2^-24)^n; 1.07 covers any
    // list this code builds.
    const int highest = std::ilogb(255 * total * 1.07L) + 1;
    const int bits = highest - lowest;
    if (bits <= 64 && HaveFusedMultiplyAdd()) return smFused;
    if (bits <= 53) return smDouble;
    // Every non-zero partial sum is at least 2^lowest, so none falls among the float subnormals,
    // whose spacing the midpoint test of StretchBlockChecked does not know.
    return lowest >= -126 && HaveFusedMultiplyAdd() ? smChecked : smExtended;
}

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
    for (int i = 0; i < d; ++i) lists.mode.push_back(SumMode(lists.begin(i), lists.end(i)));
    return lists;
}

// The lists depend on nothing but the sizes, the support and the filter (filters are plain functions
// of the distance), and building them evaluates the filter for every tap. A batch resizes picture
// after picture between the same sizes, so each thread keeps its last few lists; very long ones are
// not kept.
std::shared_ptr<const TContributorLists> Contributors(int d, int s, float support, TFilterFunction filter)
{
    struct TEntry {
        int d, s;
        float support;
        TFilterFunction filter;
        std::shared_ptr<const TContributorLists> lists;
    };
    constexpr std::size_t kKept = 4;
    constexpr std::size_t kMaxKeptEntries = std::size_t(1) << 18;
    thread_local std::vector<TEntry> recent; // the most recently used first
    for (auto it = recent.begin(); it != recent.end(); ++it)
        if (it->d == d && it->s == s && std::memcmp(&it->support, &support, sizeof support) == 0 && it->filter == filter) {
            std::rotate(recent.begin(), it, it + 1);
            return recent.front().lists;
        }
    auto lists = std::make_shared<const TContributorLists>(BuildContributors(d, s, ScaleFactor(d, s), support, filter));
    if (lists->entries.size() <= kMaxKeptEntries) {
        if (recent.size() == kKept) recent.pop_back();
        recent.insert(recent.begin(), TEntry{d, s, support, filter, lists});
    }
    return lists;
}

__attribute__((target("avx2,fma"))) void CombineFused(const TContributor* first, const TContributor* last,
                                                      const std::uint8_t* base, std::size_t stride,
                                                      std::size_t lanes, std::uint8_t* out)
{
    std::size_t l = 0;
    const __m256 low = _mm256_set1_ps(-1.0f), high = _mm256_set1_ps(256.0f);
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    for (; l + 32 <= lanes; l += 32) {
        __m256 a0 = _mm256_setzero_ps(), a1 = a0, a2 = a0, a3 = a0;
        for (const TContributor* c = first; c != last; ++c) {
            const std::uint8_t* in = base + static_cast<std::size_t>(c->pixel) * stride + l;
            const __m256 w = _mm256_set1_ps(c->weight);
            const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
            const __m128i lo = _mm256_castsi256_si128(bytes), hi = _mm256_extracti128_si256(bytes, 1);
            a0 = _mm256_fmadd_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(lo)), w, a0);
            a1 = _mm256_fmadd_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_srli_si128(lo, 8))), w, a1);
            a2 = _mm256_fmadd_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(hi)), w, a2);
            a3 = _mm256_fmadd_ps(_mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_srli_si128(hi, 8))), w, a3);
        }
        a0 = _mm256_min_ps(_mm256_max_ps(a0, low), high);
        a1 = _mm256_min_ps(_mm256_max_ps(a1, low), high);
        a2 = _mm256_min_ps(_mm256_max_ps(a2, low), high);
        a3 = _mm256_min_ps(_mm256_max_ps(a3, low), high);
        const __m256i p01 = _mm256_packs_epi32(_mm256_cvtps_epi32(a0), _mm256_cvtps_epi32(a1));
        const __m256i p23 = _mm256_packs_epi32(_mm256_cvtps_epi32(a2), _mm256_cvtps_epi32(a3));
        const __m256i packed = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(p01, p23), order);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + l), packed);
    }
    for (; l < lanes; ++l) {
        float acc = 0;
        for (const TContributor* c = first; c != last; ++c)
            acc = std::fma(static_cast<float>(base[static_cast<std::size_t>(c->pixel) * stride + l]), c->weight, acc);
        const float v = std::min(std::max(acc, -1.0f), 256.0f);
        out[l] = static_cast<std::uint8_t>(std::clamp(static_cast<int>(std::nearbyint(v)), 0, 255));
    }
}

__attribute__((target_clones("avx2", "default"))) void AccumulateDouble(float* acc, const std::uint8_t* in, double w,
                                                                        std::size_t n)
{
    for (std::size_t l = 0; l < n; ++l) acc[l] = static_cast<float>(static_cast<double>(acc[l]) + in[l] * w);
}

void AccumulateExtended(float* acc, const std::uint8_t* in, float w, std::size_t n)
{
    for (std::size_t l = 0; l < n; ++l)
        acc[l] = static_cast<float>(static_cast<long double>(acc[l]) + static_cast<long double>(in[l]) * w);
}

// Above 255 gives 255, below 0 gives 0, otherwise Round; adding and taking away 1.5 * 2^23 rounds
// a float of this range to the nearest integer with halves to even.
__attribute__((target_clones("avx2", "default"))) void StoreBytes(const float* acc, std::uint8_t* out, std::size_t n)
{
    for (std::size_t l = 0; l < n; ++l) {
        const float v = std::min(std::max(acc[l], -1.0f), 256.0f);
        const float r = (v + 0x1.8p23f) - 0x1.8p23f;
        out[l] = static_cast<std::uint8_t>(static_cast<int>(std::min(std::max(r, 0.0f), 255.0f)));
    }
}

// One destination line as the weighted sum of source lines: line i of out = sum over the
// contributors of i of the line (source index) times weight, lane by lane. Lanes share their
// contributor list, so the work runs along the lines.
void CombineLines(const TContributorLists& lists, int i, const std::uint8_t* base, std::size_t stride,
                  std::size_t lanes, std::uint8_t* out)
{
    constexpr std::size_t kRun = 4096;
    alignas(32) float acc[kRun];
    const TContributor* first = lists.begin(i);
    const TContributor* last = lists.end(i);
    if (lists.mode[i] == smFused) {
        CombineFused(first, last, base, stride, lanes, out);
        return;
    }
    for (std::size_t start = 0; start < lanes; start += kRun) {
        const std::size_t n = std::min(kRun, lanes - start);
        std::fill_n(acc, n, 0.0f);
        for (const TContributor* c = first; c != last; ++c) {
            const std::uint8_t* in = base + static_cast<std::size_t>(c->pixel) * stride + start;
            if (lists.mode[i] == smDouble)
                AccumulateDouble(acc, in, c->weight, n);
            else
                AccumulateExtended(acc, in, c->weight, n);
        }
        StoreBytes(acc, out + start, n);
    }
}

// One source row to one work row, a destination pixel at a time with its three channels side by
// side. row holds one spare byte after its last pixel, and out one after its last, so that pixels
// move as 4-byte words; the spare byte written is the next pixel's first, rewritten right after.
__attribute__((target("avx2,fma"))) void StretchPixelFused(const TContributorLists& lists, int i,
                                                           const std::uint8_t* row, std::uint8_t* out)
{
    __m128 acc = _mm_setzero_ps();
    for (const TContributor* c = lists.begin(i); c != lists.end(i); ++c) {
        std::uint32_t word;
        std::memcpy(&word, row + 3 * static_cast<std::size_t>(c->pixel), 4);
        const __m128 px = _mm_cvtepi32_ps(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(static_cast<int>(word))));
        acc = _mm_fmadd_ps(px, _mm_set1_ps(c->weight), acc);
    }
    acc = _mm_min_ps(_mm_max_ps(acc, _mm_set1_ps(-1.0f)), _mm_set1_ps(256.0f));
    const __m128i v = _mm_cvtps_epi32(acc);
    const std::uint32_t packed = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(v, v), v)));
    std::memcpy(out, &packed, 4);
}

// Destination pixel i of one row in the double or extended steps; writes exactly three bytes.
void StretchPixelExact(const TContributorLists& lists, int i, const std::uint8_t* row, std::uint8_t* out)
{
    float sum[3] = {0, 0, 0};
    for (const TContributor* c = lists.begin(i); c != lists.end(i); ++c) {
        const std::uint8_t* p = row + 3 * static_cast<std::size_t>(c->pixel);
        if (lists.mode[i] == smDouble)
            AccumulateDouble(sum, p, c->weight, 3);
        else
            AccumulateExtended(sum, p, c->weight, 3);
    }
    StoreBytes(sum, out, 3);
}

void StretchRow(const TContributorLists& lists, int dw, const std::uint8_t* row, std::uint8_t* out)
{
    for (int i = 0; i < dw; ++i, out += 3) {
        if (lists.mode[i] == smFused)
            StretchPixelFused(lists, i, row, out);
        else
            StretchPixelExact(lists, i, row, out);
    }
}

// The horizontal pass over a block of rows at once. A destination pixel sums a long run of source
// pixels one after the other, and one row alone leaves the multiply-adds waiting on each other;
// sixteen rows side by side, every channel of a source pixel held for all of them in one place,
// keep six independent sums going with the weight loaded once.
constexpr int kBlockRows = 16;

// rows[0..15] to planes: for every byte position b of the rows, planes[16 b + r] = rows[r][b].
__attribute__((target("avx2"))) void InterleaveRows(const std::uint8_t* const* rows, std::size_t bytes, float* planes)
{
    std::size_t b = 0;
    for (; b + 8 <= bytes; b += 8)
        for (int half = 0; half < 2; ++half) {
            const std::uint8_t* const* r = rows + 8 * half;
            __m128i v[8];
            for (int k = 0; k < 8; ++k) v[k] = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(r[k] + b));
            // An 8 x 8 byte transpose: c[k] holds positions 2k and 2k + 1 of the eight rows.
            const __m128i a01 = _mm_unpacklo_epi8(v[0], v[1]), a23 = _mm_unpacklo_epi8(v[2], v[3]);
            const __m128i a45 = _mm_unpacklo_epi8(v[4], v[5]), a67 = _mm_unpacklo_epi8(v[6], v[7]);
            const __m128i b0 = _mm_unpacklo_epi16(a01, a23), b1 = _mm_unpackhi_epi16(a01, a23);
            const __m128i b2 = _mm_unpacklo_epi16(a45, a67), b3 = _mm_unpackhi_epi16(a45, a67);
            const __m128i c[4] = {_mm_unpacklo_epi32(b0, b2), _mm_unpackhi_epi32(b0, b2), _mm_unpacklo_epi32(b1, b3),
                                  _mm_unpackhi_epi32(b1, b3)};
            float* out = planes + kBlockRows * b + 8 * half;
            for (int k = 0; k < 4; ++k) {
                _mm256_storeu_ps(out + kBlockRows * (2 * k), _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(c[k])));
                _mm256_storeu_ps(out + kBlockRows * (2 * k + 1),
                                 _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(_mm_srli_si128(c[k], 8))));
            }
        }
    for (; b < bytes; ++b)
        for (int r = 0; r < kBlockRows; ++r) planes[kBlockRows * b + r] = rows[r][b];
}

// Destination pixel i of the sixteen rows whose planes are given; each row and channel sums its
// contributors in list order with one rounding a step, as StretchPixelFused does.
__attribute__((target("avx2,fma"))) void StretchBlockFused(const TContributorLists& lists, int i, const float* planes,
                                                           std::uint8_t* const* out)
{
    __m256 acc[6] = {_mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps(),
                     _mm256_setzero_ps(), _mm256_setzero_ps(), _mm256_setzero_ps()};
    for (const TContributor* c = lists.begin(i); c != lists.end(i); ++c) {
        const float* p = planes + 3 * kBlockRows * static_cast<std::size_t>(c->pixel);
        const __m256 w = _mm256_set1_ps(c->weight);
        for (int k = 0; k < 6; ++k) acc[k] = _mm256_fmadd_ps(_mm256_loadu_ps(p + 8 * k), w, acc[k]);
    }
    // acc[2 c + h] holds channel c of rows 8 h .. 8 h + 7.
    alignas(32) std::int32_t v[6][8];
    for (int k = 0; k < 6; ++k) {
        const __m256 clamped = _mm256_min_ps(_mm256_max_ps(acc[k], _mm256_set1_ps(0.0f)), _mm256_set1_ps(255.0f));
        _mm256_store_si256(reinterpret_cast<__m256i*>(v[k]), _mm256_cvtps_epi32(clamped));
    }
    const std::size_t x = 3 * static_cast<std::size_t>(i);
    for (int r = 0; r < kBlockRows; ++r)
        for (int ch = 0; ch < 3; ++ch) out[r][x + ch] = static_cast<std::uint8_t>(v[2 * ch + r / 8][r % 8]);
}

// The same for a destination pixel whose sums can need more than the extended mantissa, where an
// extended step rounds twice. Each step is done once in double precision, s = the exact
// acc + pixel * weight rounded to 53 bits, and stored as float(s). Rounding the exact value to 64
// bits and then to float gives float(s) as well unless s is a float midpoint that the exact value
// only lies beside (the two roundings may then part); a block in which any step meets such a
// midpoint returns false and is summed again in extended steps.
__attribute__((target("avx2,fma"))) bool StretchBlockChecked(const TContributorLists& lists, int i,
                                                             const float* planes, std::uint8_t* const* out)
{
    constexpr int kGroups = 3 * kBlockRows / 4;
    __m128 acc[kGroups];
    for (auto& a : acc) a = _mm_setzero_ps();
    // A float midpoint in double: the bit after the float's last one set, every lower bit clear.
    const __m256i lowBits = _mm256_set1_epi64x((1 << 29) - 1), midpoint = _mm256_set1_epi64x(1 << 28);
    __m256i seen = _mm256_setzero_si256();
    for (const TContributor* c = lists.begin(i); c != lists.end(i); ++c) {
        const float* p = planes + 3 * kBlockRows * static_cast<std::size_t>(c->pixel);
        const __m256d w = _mm256_set1_pd(c->weight);
        for (int g = 0; g < kGroups; ++g) {
            const __m256d a = _mm256_cvtps_pd(acc[g]), px = _mm256_cvtps_pd(_mm_loadu_ps(p + 4 * g));
            const __m256d sum = _mm256_fmadd_pd(px, w, a);
            const __m256i mid = _mm256_cmpeq_epi64(_mm256_and_si256(_mm256_castpd_si256(sum), lowBits), midpoint);
            if (!_mm256_testz_si256(mid, mid)) {
                // Exact midpoints are common and harmless; only a rounded one matters. The product
                // is exact in double, so sum + error = a + product exactly.
                const __m256d product = _mm256_mul_pd(px, w);
                const __m256d b = _mm256_sub_pd(sum, a);
                const __m256d error =
                    _mm256_add_pd(_mm256_sub_pd(a, _mm256_sub_pd(sum, b)), _mm256_sub_pd(product, b));
                const __m256i rounded = _mm256_castpd_si256(_mm256_cmp_pd(error, _mm256_setzero_pd(), _CMP_NEQ_UQ));
                seen = _mm256_or_si256(seen, _mm256_and_si256(mid, rounded));
            }
            acc[g] = _mm256_cvtpd_ps(sum);
        }
    }
    if (!_mm256_testz_si256(seen, seen)) return false;
    // acc[g] holds channel g / 4 of rows 4 (g % 4) .. 4 (g % 4) + 3.
    alignas(16) std::int32_t v[kGroups][4];
    for (int g = 0; g < kGroups; ++g) {
        const __m128 clamped = _mm_min_ps(_mm_max_ps(acc[g], _mm_set1_ps(0.0f)), _mm_set1_ps(255.0f));
        _mm_store_si128(reinterpret_cast<__m128i*>(v[g]), _mm_cvtps_epi32(clamped));
    }
    const std::size_t x = 3 * static_cast<std::size_t>(i);
    for (int r = 0; r < kBlockRows; ++r)
        for (int ch = 0; ch < 3; ++ch) out[r][x + ch] = static_cast<std::uint8_t>(v[4 * ch + r / 4][r % 4]);
    return true;
}

void StretchRows(const TContributorLists& columns, TBitmap& src, int dw, std::uint8_t* work, std::size_t workStride)
{
    const int sw = src.Width(), sh = src.Height();
    const std::size_t srcBytes = 3 * static_cast<std::size_t>(sw);
    int k = 0;
    if (HaveFusedMultiplyAdd() && sh >= kBlockRows) {
        std::vector<float> planes(kBlockRows * srcBytes);
        const std::uint8_t* in[kBlockRows];
        std::uint8_t* out[kBlockRows];
        for (; k + kBlockRows <= sh; k += kBlockRows) {
            for (int r = 0; r < kBlockRows; ++r) {
                in[r] = src.ScanLine(k + r);
                out[r] = work + static_cast<std::size_t>(k + r) * workStride;
            }
            InterleaveRows(in, srcBytes, planes.data());
            for (int i = 0; i < dw; ++i) {
                if (columns.mode[i] == smFused) {
                    StretchBlockFused(columns, i, planes.data(), out);
                    continue;
                }
                if (columns.mode[i] == smChecked && StretchBlockChecked(columns, i, planes.data(), out)) continue;
                for (int r = 0; r < kBlockRows; ++r)
                    StretchPixelExact(columns, i, in[r], out[r] + 3 * static_cast<std::size_t>(i));
            }
        }
    }
    // The rows left over one at a time, each copied with a spare byte after its last pixel.
    std::vector<std::uint8_t> row(srcBytes + 1);
    for (; k < sh; ++k) {
        std::memcpy(row.data(), src.ScanLine(k), srcBytes);
        StretchRow(columns, dw, row.data(), work + static_cast<std::size_t>(k) * workStride);
    }
}

} // namespace

void TvekPaintFX::Stretch(TBitmap& src, TBitmap& dst, float support, TFilterFunction filter)
{
    const int sw = src.Width(), sh = src.Height();
    if (sw < 1 || sh < 1) throw EvekImageError("Source bitmap too small");
    if (!filter) throw EvekImageError("No filter function");
    const int dw = dst.Width(), dh = dst.Height();
    TBitmap::CheckDimensions(dw, sh); // the work image between the passes
    Ensure24(src);
    Ensure24(dst);
    if (dw == 0 || dh == 0) return;

    const auto columnLists = Contributors(dw, sw, support, filter);
    const auto rowLists = Contributors(dh, sh, support, filter);
    const TContributorLists& columns = *columnLists;
    const TContributorLists& rows = *rowLists;

    // Horizontal pass.
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(dw);
    std::vector<std::uint8_t> work(rowBytes * sh + 1);
    StretchRows(columns, src, dw, work.data(), rowBytes);

    // Vertical pass.
    for (int i = 0; i < dh; ++i) CombineLines(rows, i, work.data(), rowBytes, rowBytes, dst.ScanLine(i));
}
