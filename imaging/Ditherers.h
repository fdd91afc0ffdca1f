#pragma once
// The ditherers walk the image in serpentine order: even rows left to right, odd rows right to left.
// Each is a class template over its colour lookup, so that Dither is inlined in the pixel loop.
// Error buffers hold 32-bit sums of weighted errors per column and channel, padded at both ends so
// that errors pushed past the row's ends land in cells nobody reads and are dropped.
#include "imaging/ColorLookup.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

inline int ClampChannel(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }

// Nearest colour: no error is carried, the serpentine order only moves the column.
template <class Lookup>
class TDitherEngine {
public:
    TDitherEngine(int width, Lookup& lookup) : lookup_(lookup), width_(width) {}

    int Direction() const { return direction_; }
    int Column() const { return column_; }

    int Dither(int red, int green, int blue)
    {
        TChosenColor chosen;
        const int index = lookup_.Lookup(red, green, blue, chosen);
        column_ += direction_;
        return index;
    }

    void NextLine()
    {
        direction_ = -direction_;
        column_ = direction_ == 1 ? 0 : width_ - 1;
    }

protected:
    Lookup& lookup_;
    int width_;
    int direction_ = 1;
    int column_ = 0;
};

// Floyd-Steinberg, weights out of 16, with one error row: the row's cells not yet visited hold the
// previous row's errors for this row, the visited ones already collect the errors for the next row.
// The share for the cell ahead in the next row waits in ahead_ until that cell's old value is read.
template <class Lookup>
class TFloydSteinbergDitherer : public TDitherEngine<Lookup> {
    using Base = TDitherEngine<Lookup>;

public:
    TFloydSteinbergDitherer(int width, Lookup& lookup)
        : Base(width, lookup), errors_(static_cast<std::size_t>(width + 2) * 3, 0)
    {
    }

    int Dither(int red, int green, int blue)
    {
        const int x = this->column_, d = this->direction_;
        std::int32_t* here = &errors_[static_cast<std::size_t>(x + 1) * 3];
        std::int32_t* behind = here - 3 * d;
        const int value[3] = {ClampChannel(red + (here[0] + running_[0] + 8) / 16),
                              ClampChannel(green + (here[1] + running_[1] + 8) / 16),
                              ClampChannel(blue + (here[2] + running_[2] + 8) / 16)};
        TChosenColor chosen;
        const int index = this->lookup_.Lookup(value[0], value[1], value[2], chosen);
        const int e[3] = {value[0] - chosen.red, value[1] - chosen.green, value[2] - chosen.blue};
        for (int c = 0; c < 3; ++c) {
            running_[c] = 7 * e[c];
            behind[c] += 3 * e[c];
            here[c] = 5 * e[c] + ahead_[c];
            ahead_[c] = e[c];
        }
        this->column_ += d;
        return index;
    }

    void NextLine()
    {
        std::fill(std::begin(running_), std::end(running_), 0);
        std::fill(std::begin(ahead_), std::end(ahead_), 0);
        // The end cells only ever collect what fell off the row.
        std::fill(errors_.begin(), errors_.begin() + 3, 0);
        std::fill(errors_.end() - 3, errors_.end(), 0);
        Base::NextLine();
    }

private:
    std::vector<std::int32_t> errors_; // (width + 2) cells of three channels
    std::int32_t running_[3] = {0, 0, 0};
    std::int32_t ahead_[3] = {0, 0, 0};
};

// An error filter: Rows error rows (the current one first), each Pad cells wider on both ends than
// the image; Weights[r][Pad + k] is the share of the cell k columns ahead (in the direction of
// travel) in row r, out of Divisor. The current row only gives to cells ahead.
template <int R, int P>
struct TErrorFilter {
    static constexpr int Rows = R;
    static constexpr int Pad = P;
    int Divisor;
    int Weights[R][2 * P + 1];
};

inline constexpr TErrorFilter<3, 2> kStuckiFilter{42, {{0, 0, 0, 8, 4}, {2, 4, 8, 4, 2}, {1, 2, 4, 2, 1}}};
inline constexpr TErrorFilter<3, 2> kSierraFilter{32, {{0, 0, 0, 5, 3}, {2, 4, 5, 4, 2}, {0, 2, 3, 2, 0}}};
inline constexpr TErrorFilter<3, 2> kJaJuNiFilter{48, {{0, 0, 0, 7, 5}, {3, 5, 7, 5, 3}, {1, 3, 5, 3, 1}}};
inline constexpr TErrorFilter<2, 2> kBurkesFilter{32, {{0, 0, 0, 8, 4}, {2, 4, 8, 4, 2}}};
inline constexpr TErrorFilter<4, 3> kSteveArcheFilter{200,
                                                      {{0, 0, 0, 0, 0, 32, 0},
                                                       {12, 0, 26, 0, 30, 0, 16},
                                                       {0, 12, 0, 26, 0, 12, 0},
                                                       {5, 0, 12, 0, 12, 0, 5}}};

// Error diffusion over several rows. The value used is clamp(c + (error + Divisor div 2) div
// Divisor); its error against the chosen colour is spread by the filter. NextLine clears the
// current rows and lets the next ones move up.
template <class Lookup, const auto& Filter>
class TFilterDitherer : public TDitherEngine<Lookup> {
    using Base = TDitherEngine<Lookup>;
    static constexpr int Rows = std::remove_cvref_t<decltype(Filter)>::Rows;
    static constexpr int Pad = std::remove_cvref_t<decltype(Filter)>::Pad;

public:
    TFilterDitherer(int width, Lookup& lookup)
        : Base(width, lookup), stride_(static_cast<std::size_t>(width + 2 * Pad) * 3),
          errors_(stride_ * Rows, 0)
    {
        for (int r = 0; r < Rows; ++r) rows_[r] = errors_.data() + stride_ * r;
    }

    int Dither(int red, int green, int blue)
    {
        const int x = this->column_, d = this->direction_;
        const std::size_t cell = static_cast<std::size_t>(x + Pad) * 3;
        const std::int32_t* here = rows_[0] + cell;
        constexpr int half = Filter.Divisor / 2;
        const int value[3] = {ClampChannel(red + (here[0] + half) / Filter.Divisor),
                              ClampChannel(green + (here[1] + half) / Filter.Divisor),
                              ClampChannel(blue + (here[2] + half) / Filter.Divisor)};
        TChosenColor chosen;
        const int index = this->lookup_.Lookup(value[0], value[1], value[2], chosen);
        const int e[3] = {value[0] - chosen.red, value[1] - chosen.green, value[2] - chosen.blue};
        if (e[0] | e[1] | e[2]) Propagate(cell, d, e);
        this->column_ += d;
        return index;
    }

    void NextLine()
    {
        std::int32_t* done = rows_[0];
        std::memset(done, 0, stride_ * sizeof(std::int32_t));
        for (int r = 0; r + 1 < Rows; ++r) rows_[r] = rows_[r + 1];
        rows_[Rows - 1] = done;
        Base::NextLine();
    }

private:
    void Propagate(std::size_t cell, int d, const int (&e)[3])
    {
        for (int r = 0; r < Rows; ++r) {
            for (int k = -Pad; k <= Pad; ++k) {
                const int w = Filter.Weights[r][Pad + k];
                if (w == 0) continue;
                std::int32_t* target = rows_[r] + cell + static_cast<std::ptrdiff_t>(3 * k * d);
                target[0] += w * e[0];
                target[1] += w * e[1];
                target[2] += w * e[2];
            }
        }
    }

    std::size_t stride_;
    std::vector<std::int32_t> errors_;
    std::int32_t* rows_[Rows];
};

// Stucki, Sierra and Jarvis-Judice-Ninke share the five-wide, three-row shape.
template <class Lookup, const auto& Filter>
using T5by3Ditherer = TFilterDitherer<Lookup, Filter>;
template <class Lookup>
using TStuckiDitherer = T5by3Ditherer<Lookup, kStuckiFilter>;
template <class Lookup>
using TSierraDitherer = T5by3Ditherer<Lookup, kSierraFilter>;
template <class Lookup>
using TJaJuNiDitherer = T5by3Ditherer<Lookup, kJaJuNiFilter>;
template <class Lookup>
using TBurkesDitherer = TFilterDitherer<Lookup, kBurkesFilter>;
template <class Lookup>
using TSteveArcheDitherer = TFilterDitherer<Lookup, kSteveArcheFilter>;
