#include "script/VekScript.h"
#include "script/WordTable.h"

#include <chrono>
#include <functional>
#include <cmath>
#include <cstdint>
#include <numbers>

// Arithmetic (the value operators) and the mathematical functions, which all give doubles.

namespace {

// Integer with integer is the common case of loops and counters: kept off the general path.
template <class IntOp, TVariant (*General)(const TVariant&, const TVariant&)>
void Arith(TvekScript& s)
{
    s.Need(2);
    TVariant& a = s.Peek(1);
    const TVariant& b = s.Peek(0);
    if (a.Kind() == TVarKind::Int && b.Kind() == TVarKind::Int) {
        const std::int64_t r = IntOp{}(static_cast<std::int64_t>(a.RawInt()), static_cast<std::int64_t>(b.RawInt()));
        if (r >= INT32_MIN && r <= INT32_MAX) {
            a.SetInt(static_cast<int>(r));
            s.DropTop();
            return;
        }
    }
    if (a.IsString() && b.IsString() && General == VarAdd) {
        a.MutableString() += b.RawString();
    } else {
        a = General(a, b);
    }
    s.DropTop();
}

void Divide(TvekScript& s)
{
    s.Need(2);
    s.Peek(1) = VarDiv(s.Peek(1), s.Peek(0));
    s.DropTop();
}

void Negate(TvekScript& s)
{
    s.Need(1);
    s.Peek() = VarNeg(s.Peek());
}

// A result that is not a number ends the run, as the floating-point unit's exceptions did.
double Checked(double r)
{
    if (std::isnan(r)) throw EvekScriptError("Invalid floating point operation");
    if (std::isinf(r)) throw EvekScriptError("Floating point overflow");
    return r;
}

template <double (*F)(double)>
void Func(TvekScript& s)
{
    s.Need(1);
    TVariant& v = s.Peek();
    v.SetDouble(Checked(F(v.ToDouble())));
}

double Abs(double x) { return std::fabs(x); }
double Sqr(double x) { return x * x; }
double Sqrt(double x) { return std::sqrt(x); }
double Frac(double x) { return x - std::trunc(x); }
double IntPart(double x) { return std::trunc(x); }
double Exp(double x) { return std::exp(x); }
double Ln(double x) { return std::log(x); }
double Log10(double x) { return std::log10(x); }
double Log2(double x) { return std::log2(x); }
double Sin(double x) { return std::sin(x); }
double Cos(double x) { return std::cos(x); }
double Tan(double x) { return std::tan(x); }
double ArcSin(double x) { return std::asin(x); }
double ArcCos(double x) { return std::acos(x); }
double ArcTan(double x) { return std::atan(x); }

int ToInt32(double r)
{
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw EvekScriptError(kConversionError);
    return static_cast<int>(r);
}

void Round(TvekScript& s)
{
    s.Need(1);
    TVariant& v = s.Peek();
    v.SetInt(ToInt32(std::nearbyint(v.ToDouble())));
}

void Trunc(TvekScript& s)
{
    s.Need(1);
    TVariant& v = s.Peek();
    v.SetInt(ToInt32(std::trunc(v.ToDouble())));
}

void Power(TvekScript& s)
{
    const double e = s.PopDouble();
    const double b = s.PopDouble();
    s.Push(TVariant(Checked(std::pow(b, e))));
}

void ArcTan2(TvekScript& s)
{
    const double x = s.PopDouble();
    const double y = s.PopDouble();
    s.Push(TVariant(std::atan2(y, x)));
}

void Pi(TvekScript& s) { s.Push(TVariant(std::numbers::pi)); }

// The random generator of the scripts' origin: a 32-bit linear congruence, seeded with 0 until
// randomize seeds it from the clock.
std::uint32_t gRandSeed = 0;

std::uint32_t NextRandom()
{
    gRandSeed = gRandSeed * 0x08088405u + 1u;
    return gRandSeed;
}

double RandomDouble() { return NextRandom() * (1.0 / 4294967296.0); }

void Random(TvekScript& s)
{
    const int n = s.PopInt();
    if (n == 0) {
        s.Push(TVariant(RandomDouble()));
        return;
    }
    const std::uint64_t range = n > 0 ? static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(-static_cast<std::int64_t>(n));
    const auto r = static_cast<std::int64_t>((static_cast<std::uint64_t>(NextRandom()) * range) >> 32);
    s.Push(TVariant(static_cast<int>(n > 0 ? r : -r)));
}

void Randomize(TvekScript&)
{
    gRandSeed = static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count() ^
                                           std::chrono::system_clock::now().time_since_epoch().count());
}

// Normally distributed, by the polar method.
void RandG(TvekScript& s)
{
    const double stddev = s.PopDouble();
    const double mean = s.PopDouble();
    double u1 = 0, u2 = 0, q = 0;
    do {
        u1 = 2 * RandomDouble() - 1;
        u2 = 2 * RandomDouble() - 1;
        q = u1 * u1 + u2 * u2;
    } while (q == 0 || q >= 1);
    s.Push(TVariant(mean + stddev * u1 * std::sqrt(-2 * std::log(q) / q)));
}

const TWordDef kWords[] = {
    {"+", "( a b -- c )", Arith<std::plus<std::int64_t>, VarAdd>},
    {"-", "( a b -- c )", Arith<std::minus<std::int64_t>, VarSub>},
    {"*", "( a b -- c )", Arith<std::multiplies<std::int64_t>, VarMul>},
    {"/", "( a b -- num )", Divide},
    {"--", "( a -- c )", Negate},
    {"^", "( base exp -- num )", Power},
    {"abs", "( num -- num )", Func<Abs>},
    {"sqr", "( num -- num )", Func<Sqr>},
    {"sqrt", "( num -- num )", Func<Sqrt>},
    {"frac", "( num -- num )", Func<Frac>},
    {"int", "( num -- num )", Func<IntPart>},
    {"round", "( num -- int )", Round},
    {"trunc", "( num -- int )", Trunc},
    {"exp", "( num -- num )", Func<Exp>},
    {"ln", "( num -- num )", Func<Ln>},
    {"log10", "( num -- num )", Func<Log10>},
    {"log2", "( num -- num )", Func<Log2>},
    {"sin", "( num -- num )", Func<Sin>},
    {"cos", "( num -- num )", Func<Cos>},
    {"tan", "( num -- num )", Func<Tan>},
    {"arcsin", "( num -- num )", Func<ArcSin>},
    {"arccos", "( num -- num )", Func<ArcCos>},
    {"arctan", "( num -- num )", Func<ArcTan>},
    {"arctan2", "( y x -- num )", ArcTan2},
    {"pi", "( -- num )", Pi},
    {"random", "( n -- x )", Random},
    {"randomize", "( -- )", Randomize},
    {"randg", "( mean stddev -- num )", RandG},
};

} // namespace

const std::span<const TWordDef> kMathWords(kWords);
