#pragma once
#include "platform/NumberText.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

// The value of every stack slot, literal and variable element. The kinds and their conversion,
// operator and comparison rules are those of the OLE Automation VARIANT, with a fixed locale:
// "." as decimal separator, dates as yyyy-mm-dd, times as hh:nn:ss.
enum class TVarKind : std::uint8_t { Empty, Null, Int, Double, Bool, String, Date };

class TVariant {
public:
    TVariant() noexcept : kind_(TVarKind::Empty), i_(0) {}
    TVariant(int v) noexcept : kind_(TVarKind::Int), i_(v) {}
    TVariant(double v) noexcept : kind_(TVarKind::Double), d_(v) {}
    TVariant(bool v) noexcept : kind_(TVarKind::Bool), b_(v) {}
    TVariant(std::string v) noexcept : kind_(TVarKind::String), i_(0), s_(std::move(v)) {}
    TVariant(const char* v) : kind_(TVarKind::String), i_(0), s_(v) {}
    TVariant(std::string_view v) : kind_(TVarKind::String), i_(0), s_(v) {}
    TVariant(std::int64_t) = delete; // say which kind: int, or double on purpose

    static TVariant Null() noexcept { TVariant v; v.kind_ = TVarKind::Null; return v; }
    // A date/time: days since 30 December 1899, the fraction being the time of day.
    static TVariant Date(double days) noexcept { TVariant v(days); v.kind_ = TVarKind::Date; return v; }

    TVarKind Kind() const noexcept { return kind_; }
    bool IsEmpty() const noexcept { return kind_ == TVarKind::Empty; }
    bool IsNull() const noexcept { return kind_ == TVarKind::Null; }
    bool IsString() const noexcept { return kind_ == TVarKind::String; }
    bool IsEmptyOrNull() const noexcept { return kind_ <= TVarKind::Null; }

    // Raw access; only valid for the matching kind.
    int RawInt() const noexcept { return i_; }
    double RawDouble() const noexcept { return d_; } // Double and Date
    bool RawBool() const noexcept { return b_; }
    const std::string& RawString() const noexcept { return s_; }

    // Conversions; a value that cannot be converted raises EvekScriptError(kConversionError).
    int ToInt() const;            // doubles round half to even; True is -1
    double ToDouble() const;      // dates give their day number
    bool ToBool() const;          // numbers: non-zero; texts: "True"/"False" or a number
    std::string ToString() const; // the text form; Empty gives ""
    double ToDate() const;        // texts in the date format, numbers as day numbers

    // The text form used by cstr, by the command line and wherever a value becomes text.
    // Null gives "" here (for display); ToString() refuses Null.
    std::string Text() const;

    void SetInt(int v) noexcept { Reset(TVarKind::Int); i_ = v; }
    void SetDouble(double v) noexcept { Reset(TVarKind::Double); d_ = v; }
    void SetBool(bool v) noexcept { Reset(TVarKind::Bool); b_ = v; }
    void SetString(std::string v) noexcept { kind_ = TVarKind::String; s_ = std::move(v); }
    std::string& MutableString() noexcept { return s_; } // only for String values

private:
    void Reset(TVarKind k) noexcept
    {
        kind_ = k;
        if (!s_.empty()) s_.clear();
    }

    TVarKind kind_;
    union {
        std::int32_t i_;
        double d_;
        bool b_;
    };
    std::string s_; // only String values use it; numbers never touch the heap
};

// The VARIANT operators. Two texts under + concatenate; otherwise both sides become numbers: integer
// with integer stays integer (promoted to double when it would overflow 32 bits), any double gives a
// double, a date with a number gives a date. Null on either side gives Null.
TVariant VarAdd(const TVariant& a, const TVariant& b);
TVariant VarSub(const TVariant& a, const TVariant& b);
TVariant VarMul(const TVariant& a, const TVariant& b);
TVariant VarDiv(const TVariant& a, const TVariant& b); // always a double; b = 0 raises "Division by zero"
TVariant VarNeg(const TVariant& a);                    // 0 - a
// Logical on two booleans, bitwise on integers.
TVariant VarAnd(const TVariant& a, const TVariant& b);
TVariant VarOr(const TVariant& a, const TVariant& b);
TVariant VarXor(const TVariant& a, const TVariant& b);
TVariant VarNot(const TVariant& a);

// Two texts compare by character code; anything else numerically. Null equals only Null and is
// neither less nor greater than anything.
enum class TVarOrder { Less, Equal, Greater, Unordered };
TVarOrder VarCompare(const TVariant& a, const TVariant& b);

// Text forms and parsing in the fixed locale.
std::string FormatDouble(double v); // 15 significant digits, "1E20", "1.5E-7"

// The decimal digits of a finite, non-zero |v| rounded to 1 + fractionDigits significant digits,
// without the point, and the power of ten of the first digit: the common ground of number texts.
struct TDecimalDigits {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};
TDecimalDigits DecimalDigits(double v, int fractionDigits);
std::string FormatDate(double days); // yyyy-mm-dd, with " hh:nn:ss" when there is a time of day
// Strict parsers for whole texts; false when the text is not of the form.
bool ParseIntText(std::string_view s, int& out);       // optional sign, digits or "$" and hex digits
bool ParseDateText(std::string_view s, double& out);   // yyyy-mm-dd [hh:nn[:ss]], or hh:nn[:ss]

// Calendar helpers on day numbers (days since 30 December 1899).
double EncodeDate(int year, int month, int day); // raises the conversion error for impossible dates
void DecodeDate(double days, int& year, int& month, int& day);
void DecodeTime(double days, int& hour, int& minute, int& second);
