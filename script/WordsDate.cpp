#include "script/VekScript.h"
#include "script/WordTable.h"

#include <chrono>
#include <cstdio>
#include <ctime>

// Dates are day numbers since 30 December 1899, the fraction being the time of day; month names
// are English whatever the environment says.

namespace {

void Now(TvekScript& s)
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    const double ms = static_cast<double>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + ms / 1000.0;
    s.Push(TVariant::Date(EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) + seconds / 86400.0));
}

void DateStr(TvekScript& s)
{
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int y = 0, m = 0, d = 0;
    DecodeDate(s.Pop().ToDate(), y, m, d);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d-%s-%04d", d, kMonths[m - 1], y);
    s.Push(TVariant(buf));
}

void TimeStr(TvekScript& s)
{
    int h = 0, n = 0, sec = 0;
    DecodeTime(s.Pop().ToDate(), h, n, sec);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", h, n, sec);
    s.Push(TVariant(buf));
}

// Easter Sunday in the Gregorian calendar; every division truncates toward zero.
void Easter(TvekScript& s)
{
    const long long y = s.PopInt();
    const long long g = y % 19 + 1;
    const long long c = y / 100 + 1;
    const long long x = (3 * c) / 4 - 12;
    const long long z = (8 * c + 5) / 25 - 5;
    const long long d = (5 * y) / 4 - x - 10;
    long long e = (11 * g + 20 + z - x) % 30;
    if (e < 0) e += 30;
    if ((e == 25 && g > 11) || e == 24) ++e;
    long long n = 44 - e;
    if (n < 21) n += 30;
    n = n + 7 - ((d + n) % 7);
    const int year = static_cast<int>(y);
    const double date = n > 31 ? EncodeDate(year, 4, static_cast<int>(n - 31)) : EncodeDate(year, 3, static_cast<int>(n));
    s.Push(TVariant::Date(date));
}

const TWordDef kWords[] = {
    {"now", "( -- date )", Now},
    {"datestr", "( date -- s )", DateStr},
    {"timestr", "( date -- s )", TimeStr},
    {"easter", "( year -- date )", Easter},
};

} // namespace

const std::span<const TWordDef> kDateWords(kWords);
