#include "script/Variant.h"

#include "script/ScriptError.h"
#include "script/ScriptText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <limits>

namespace {

[[noreturn]] void ConversionError() { throw EvekScriptError(kConversionError); }

// Days between 30 December 1899 and 1 January 1970.
constexpr std::int64_t kUnixEpochDay = 25569;
// The calendar the values can hold: 1 January 100 to 31 December 9999.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDate = 2958466.0;

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int DaysInMonth(int y, int m)
{
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

void CheckDateRange(double days)
{
    if (!(days > kMinDate - 1 && days < kMaxDate)) ConversionError();
}

// Round half to even, as the VARIANT conversions and the round word do.
double RoundEven(double v) { return std::nearbyint(v); }

int DoubleToInt(double v)
{
    const double r = RoundEven(v);
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) ConversionError();
    return static_cast<int>(r);
}

// Reads a run of 1..maxDigits decimal digits.
bool ReadNumber(std::string_view s, std::size_t& pos, int maxDigits, int& out)
{
    int n = 0;
    out = 0;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && n < maxDigits) {
        out = out * 10 + (s[pos] - '0');
        ++pos;
        ++n;
    }
    return n > 0;
}

bool ParseTimePart(std::string_view s, std::size_t& pos, double& fraction)
{
    int h = 0, m = 0, sec = 0;
    if (!ReadNumber(s, pos, 2, h) || pos >= s.size() || s[pos] != ':') return false;
    ++pos;
    if (!ReadNumber(s, pos, 2, m)) return false;
    if (pos < s.size() && s[pos] == ':') {
        ++pos;
        if (!ReadNumber(s, pos, 2, sec)) return false;
    }
    if (h > 23 || m > 59 || sec > 59) return false;
    fraction = (h * 3600 + m * 60 + sec) / 86400.0;
    return true;
}

// A text as a number for arithmetic and comparison: integer forms first, then floating point.
double TextToNumber(const std::string& s)
{
    const std::string_view t = TrimView(s);
    int i = 0;
    if (ParseIntText(t, i)) return i;
    double d = 0;
    if (ParseDoubleText(t, d)) return d;
    ConversionError();
}

bool TextToBool(const std::string& s, bool& out)
{
    const std::string_view t = TrimView(s);
    if (SameText(t, "true")) {
        out = true;
        return true;
    }
    if (SameText(t, "false")) {
        out = false;
        return true;
    }
    return false;
}

// An operand reduced to a number for the operators, remembering whether it was integral or a date.
struct TNumber {
    enum { Int, Double, Date } kind;
    std::int64_t i;
    double d;
};

TNumber ToNumber(const TVariant& v)
{
    switch (v.Kind()) {
    case TVarKind::Empty: return {TNumber::Int, 0, 0};
    case TVarKind::Int: return {TNumber::Int, v.RawInt(), double(v.RawInt())};
    case TVarKind::Bool: return {TNumber::Int, v.RawBool() ? -1 : 0, v.RawBool() ? -1.0 : 0.0};
    case TVarKind::Double: return {TNumber::Double, 0, v.RawDouble()};
    case TVarKind::Date: return {TNumber::Date, 0, v.RawDouble()};
    case TVarKind::String: return {TNumber::Double, 0, TextToNumber(v.RawString())};
    case TVarKind::Null: break;
    }
    ConversionError();
}

TVariant IntResult(std::int64_t r)
{
    if (r >= std::numeric_limits<std::int32_t>::min() && r <= std::numeric_limits<std::int32_t>::max())
        return TVariant(static_cast<int>(r));
    return TVariant(static_cast<double>(r));
}

enum class TArith { Add, Sub, Mul };

TVariant Arith(const TVariant& a, const TVariant& b, TArith op)
{
    if (a.IsNull() || b.IsNull()) return TVariant::Null();
    const TNumber x = ToNumber(a), y = ToNumber(b);
    if (x.kind == TNumber::Int && y.kind == TNumber::Int) {
        switch (op) {
        case TArith::Add: return IntResult(x.i + y.i);
        case TArith::Sub: return IntResult(x.i - y.i);
        case TArith::Mul: return IntResult(x.i * y.i);
        }
    }
    double r = 0;
    switch (op) {
    case TArith::Add: r = x.d + y.d; break;
    case TArith::Sub: r = x.d - y.d; break;
    case TArith::Mul: r = x.d * y.d; break;
    }
    // A date moved by a number stays a date; the distance between two dates is a number.
    const bool dated = (x.kind == TNumber::Date) != (y.kind == TNumber::Date) ||
                       (op == TArith::Add && x.kind == TNumber::Date && y.kind == TNumber::Date);
    if (op != TArith::Mul && dated) return TVariant::Date(r);
    return TVariant(r);
}

// The integer an operand of and/or/xor/not stands for; texts may say True or False.
int LogicInt(const TVariant& v)
{
    bool b = false;
    if (v.IsString() && TextToBool(v.RawString(), b)) return b ? -1 : 0;
    return v.ToInt();
}

template <class F>
TVariant Logic(const TVariant& a, const TVariant& b, F f)
{
    if (a.IsNull() || b.IsNull()) return TVariant::Null();
    if (a.Kind() == TVarKind::Bool && b.Kind() == TVarKind::Bool) return TVariant(f(a.RawBool() ? -1 : 0, b.RawBool() ? -1 : 0) != 0);
    return TVariant(f(LogicInt(a), LogicInt(b)));
}

} // namespace

int TVariant::ToInt() const
{
    switch (kind_) {
    case TVarKind::Empty: return 0;
    case TVarKind::Int: return i_;
    case TVarKind::Bool: return b_ ? -1 : 0;
    case TVarKind::Double:
    case TVarKind::Date: return DoubleToInt(d_);
    case TVarKind::String: {
        int v = 0;
        if (ParseIntText(TrimView(s_), v)) return v;
        return DoubleToInt(TextToNumber(s_));
    }
    case TVarKind::Null: break;
    }
    ConversionError();
}

double TVariant::ToDouble() const
{
    switch (kind_) {
    case TVarKind::Empty: return 0;
    case TVarKind::Int: return i_;
    case TVarKind::Bool: return b_ ? -1.0 : 0.0;
    case TVarKind::Double:
    case TVarKind::Date: return d_;
    case TVarKind::String: return TextToNumber(s_);
    case TVarKind::Null: break;
    }
    ConversionError();
}

bool TVariant::ToBool() const
{
    switch (kind_) {
    case TVarKind::Empty: return false;
    case TVarKind::Int: return i_ != 0;
    case TVarKind::Bool: return b_;
    case TVarKind::Double:
    case TVarKind::Date: return d_ != 0;
    case TVarKind::String: {
        bool b = false;
        if (TextToBool(s_, b)) return b;
        return TextToNumber(s_) != 0;
    }
    case TVarKind::Null: break;
    }
    ConversionError();
}

std::string TVariant::ToString() const
{
    if (kind_ == TVarKind::Null) ConversionError();
    return Text();
}

double TVariant::ToDate() const
{
    switch (kind_) {
    case TVarKind::String: {
        double d = 0;
        if (ParseDateText(TrimView(s_), d)) return d;
        return TextToNumber(s_);
    }
    case TVarKind::Null: ConversionError();
    default: return ToDouble();
    }
}

std::string TVariant::Text() const
{
    switch (kind_) {
    case TVarKind::Empty:
    case TVarKind::Null: return {};
    case TVarKind::Int: return std::to_string(i_);
    case TVarKind::Double: return FormatDouble(d_);
    case TVarKind::Bool: return b_ ? "True" : "False";
    case TVarKind::String: return s_;
    case TVarKind::Date: return FormatDate(d_);
    }
    return {};
}

TVariant VarAdd(const TVariant& a, const TVariant& b)
{
    if (a.IsString() && (b.IsString() || b.IsEmpty())) return TVariant(a.RawString() + b.RawString());
    if (b.IsString() && a.IsEmpty()) return b;
    return Arith(a, b, TArith::Add);
}

TVariant VarSub(const TVariant& a, const TVariant& b) { return Arith(a, b, TArith::Sub); }
TVariant VarMul(const TVariant& a, const TVariant& b) { return Arith(a, b, TArith::Mul); }

TVariant VarDiv(const TVariant& a, const TVariant& b)
{
    if (a.IsNull() || b.IsNull()) return TVariant::Null();
    const double y = ToNumber(b).d;
    const double x = ToNumber(a).d;
    if (y == 0) throw EvekScriptError("Division by zero");
    return TVariant(x / y);
}

TVariant VarNeg(const TVariant& a)
{
    if (a.IsNull()) return TVariant::Null();
    const TNumber x = ToNumber(a);
    if (x.kind == TNumber::Int) return IntResult(-x.i);
    if (x.kind == TNumber::Date) return TVariant::Date(-x.d);
    return TVariant(-x.d);
}

TVariant VarAnd(const TVariant& a, const TVariant& b) { return Logic(a, b, [](int x, int y) { return x & y; }); }
TVariant VarOr(const TVariant& a, const TVariant& b) { return Logic(a, b, [](int x, int y) { return x | y; }); }
TVariant VarXor(const TVariant& a, const TVariant& b) { return Logic(a, b, [](int x, int y) { return x ^ y; }); }

TVariant VarNot(const TVariant& a)
{
    if (a.IsNull()) return TVariant::Null();
    if (a.Kind() == TVarKind::Bool) return TVariant(!a.RawBool());
    return TVariant(~LogicInt(a));
}

TVarOrder VarCompare(const TVariant& a, const TVariant& b)
{
    if (a.IsNull() || b.IsNull()) return a.IsNull() && b.IsNull() ? TVarOrder::Equal : TVarOrder::Unordered;
    auto order = [](auto x, auto y) {
        return x < y ? TVarOrder::Less : (y < x ? TVarOrder::Greater : TVarOrder::Equal);
    };
    if ((a.IsString() || a.IsEmpty()) && (b.IsString() || b.IsEmpty())) {
        const int c = CompareStr(a.RawString(), b.RawString());
        return order(c, 0);
    }
    if (a.Kind() == TVarKind::Int && b.Kind() == TVarKind::Int) return order(a.RawInt(), b.RawInt());
    // A date meets a text as a date; everything else as numbers.
    const double x = a.Kind() == TVarKind::Date || b.Kind() == TVarKind::Date ? a.ToDate() : a.ToDouble();
    const double y = a.Kind() == TVarKind::Date || b.Kind() == TVarKind::Date ? b.ToDate() : b.ToDouble();
    if (std::isnan(x) || std::isnan(y)) return TVarOrder::Unordered;
    return order(x, y);
}

TDecimalDigits DecimalDigits(double v, int fractionDigits)
{
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, fractionDigits);
    std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
    TDecimalDigits out;
    out.negative = sci[0] == '-';
    if (out.negative) sci.remove_prefix(1);
    const std::size_t ePos = sci.find('e');
    for (char c : sci.substr(0, ePos))
        if (c != '.') out.digits += c;
    std::string_view expText = sci.substr(ePos + 1);
    if (!expText.empty() && expText[0] == '+') expText.remove_prefix(1);
    std::from_chars(expText.data(), expText.data() + expText.size(), out.exponent);
    return out;
}

std::string FormatDouble(double v)
{
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    if (v == 0) return "0";
    auto [negative, digits, exponent] = DecimalDigits(v, 14);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -4) {
        out += digits[0];
        if (digits.size() > 1) out += "." + digits.substr(1);
        out += "E" + std::to_string(exponent);
    } else if (exponent < 0) {
        out += "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    } else {
        const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out += digits + std::string(intDigits - digits.size(), '0');
        } else {
            out += digits.substr(0, intDigits) + "." + digits.substr(intDigits);
        }
    }
    return out;
}

std::string FormatDate(double days)
{
    int y = 0, m = 0, d = 0;
    DecodeDate(days, y, m, d);
    char buf[32];
    const double fraction = days - std::trunc(days);
    if (fraction == 0) {
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", y, m, d);
    } else {
        int hh = 0, nn = 0, ss = 0;
        DecodeTime(days, hh, nn, ss);
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, hh, nn, ss);
    }
    return buf;
}

bool ParseIntText(std::string_view s, int& out)
{
    std::size_t pos = 0;
    bool negative = false;
    if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) negative = s[pos++] == '-';
    if (pos >= s.size()) return false;
    if (s[pos] == '$') {
        ++pos;
        const std::size_t digits = s.size() - pos;
        if (digits == 0 || digits > 8) return false;
        std::uint32_t v = 0;
        auto res = std::from_chars(s.data() + pos, s.data() + s.size(), v, 16);
        if (res.ec != std::errc() || res.ptr != s.data() + s.size()) return false;
        if (negative) v = 0u - v;
        out = static_cast<std::int32_t>(v);
        return true;
    }
    std::int64_t v = 0;
    for (; pos < s.size(); ++pos) {
        if (s[pos] < '0' || s[pos] > '9') return false;
        v = v * 10 + (s[pos] - '0');
        if (v > 2147483648LL) return false;
    }
    if (negative) v = -v;
    if (v > 2147483647LL) return false;
    out = static_cast<int>(v);
    return true;
}

bool ParseDateText(std::string_view s, double& out)
{
    std::size_t pos = 0;
    double fraction = 0;
    // A time of day alone.
    if (s.find('-') == std::string_view::npos) {
        if (!ParseTimePart(s, pos, fraction) || pos != s.size()) return false;
        out = fraction;
        return true;
    }
    int y = 0, m = 0, d = 0;
    const std::size_t yearStart = pos;
    if (!ReadNumber(s, pos, 4, y) || pos - yearStart != 4) return false;
    if (pos >= s.size() || s[pos++] != '-' || !ReadNumber(s, pos, 2, m)) return false;
    if (pos >= s.size() || s[pos++] != '-' || !ReadNumber(s, pos, 2, d)) return false;
    if (y < 100 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
    if (pos < s.size()) {
        if (s[pos] != ' ') return false;
        while (pos < s.size() && s[pos] == ' ') ++pos;
        if (!ParseTimePart(s, pos, fraction) || pos != s.size()) return false;
    }
    out = EncodeDate(y, m, d) + fraction;
    return true;
}

double EncodeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        ConversionError();
    return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) +
                               kUnixEpochDay);
}

void DecodeDate(double days, int& year, int& month, int& day)
{
    CheckDateRange(days);
    CivilFromDays(static_cast<std::int64_t>(std::trunc(days)) - kUnixEpochDay, year, month, day);
}

void DecodeTime(double days, int& hour, int& minute, int& second)
{
    CheckDateRange(days);
    // Dates before 1899 keep their time of day as a positive fraction.
    const double fraction = std::fabs(days - std::trunc(days));
    long long ms = std::llround(fraction * 86400000.0);
    if (ms >= 86400000) ms = 86399999;
    const long long secs = ms / 1000;
    hour = static_cast<int>(secs / 3600);
    minute = static_cast<int>(secs / 60 % 60);
    second = static_cast<int>(secs % 60);
}
