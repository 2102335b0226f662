#include "launcher/components/kit_date_time.h"

#include <cmath>

#include "platform/win32/kernel/time.h"

namespace kit {

VCL_IMPLEMENT_CLASS(TKitDateTime, TKitObject, [](auto& b) {
    using C = TKitDateTime;
    b.Persistent();
    b.Int("Day", &C::Day, &C::SetDay, std::nullopt);
    b.Int("Month", &C::Month, &C::SetMonth, std::nullopt);
    b.Int("Year", &C::Year, &C::SetYear, std::nullopt);
    b.Int("Hour", &C::Hour, &C::SetHour, std::nullopt);
    b.Int("Minute", &C::Minute, &C::SetMinute, std::nullopt);
    b.Int("Second", &C::Second, &C::SetSecond, std::nullopt);
})

namespace {

constexpr double kMsPerDay = 86400000.0;

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 0001-01-01 to the date (proleptic Gregorian).
long long DayNumber(int year, int month, int day)
{
    const long long y = year - 1;
    long long days = y * 365 + y / 4 - y / 100 + y / 400;
    for (int m = 1; m < month; ++m)
        days += DaysInMonth(year, m);
    return days + day - 1;
}

const long long kEpochDay = DayNumber(1899, 12, 30);

}  // namespace

TDateTime EncodeDate(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        throw vcl::EConvertError(kDateEncodeError);
    return static_cast<double>(DayNumber(year, month, day) - kEpochDay);
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        throw vcl::EConvertError(kTimeEncodeError);
    return (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMsPerDay;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day)
{
    long long n = static_cast<long long>(std::floor(value)) + kEpochDay;  // days since 0001-01-01
    if (n < 0) {
        year = month = day = 0;
        return;
    }
    constexpr long long k400 = 146097, k100 = 36524, k4 = 1461;
    long long y = 1 + 400 * (n / k400);
    n %= k400;
    long long c = n / k100;
    if (c == 4)
        c = 3;
    y += 100 * c;
    n -= c * k100;
    y += 4 * (n / k4);
    n %= k4;
    long long a = n / 365;
    if (a == 4)
        a = 3;
    y += a;
    n -= a * 365;
    year = static_cast<int>(y);
    month = 1;
    while (n >= DaysInMonth(year, month)) {
        n -= DaysInMonth(year, month);
        ++month;
    }
    day = static_cast<int>(n) + 1;
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond)
{
    long long ms = std::llround((value - std::floor(value)) * kMsPerDay);
    if (ms >= static_cast<long long>(kMsPerDay))
        ms = static_cast<long long>(kMsPerDay) - 1;
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    millisecond = static_cast<int>(ms % 1000);
}

TDateTime Now()
{
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return EncodeDate(t.wYear, t.wMonth, t.wDay) + EncodeTime(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
}

// ------------------------------------------------------------- TKitDateTime

TKitDateTime::TKitDateTime() : value_(EncodeDate(1990, 1, 1)) {}

void TKitDateTime::SetValue(TDateTime value)
{
    if (value == value_)
        return;
    value_ = value;
    Changed();
}

void TKitDateTime::Assign(vcl::TPersistent* source)
{
    if (source && source->Is<TKitDateTime>()) {
        SetValue(static_cast<TKitDateTime*>(source)->value_);
        return;
    }
    inherited::Assign(source);
}

TKitDateTime::Fields TKitDateTime::Decode() const
{
    Fields f{};
    int ms = 0;
    DecodeDate(value_, f.year, f.month, f.day);
    DecodeTime(value_, f.hour, f.minute, f.second, ms);
    return f;
}

void TKitDateTime::Rebuild(const Fields& f, bool changed)
{
    if (!changed)
        return;
    SetValue(EncodeDate(f.year, f.month, f.day) + EncodeTime(f.hour, f.minute, f.second, 0));
}

int TKitDateTime::Day() const { return Decode().day; }
int TKitDateTime::Month() const { return Decode().month; }
int TKitDateTime::Year() const { return Decode().year; }
int TKitDateTime::Hour() const { return Decode().hour; }
int TKitDateTime::Minute() const { return Decode().minute; }
int TKitDateTime::Second() const { return Decode().second; }

#define KIT_DATE_SETTER(Name, field)          \
    void TKitDateTime::Set##Name(int value)   \
    {                                         \
        Fields f = Decode();                  \
        const bool changed = f.field != value; \
        f.field = value;                      \
        Rebuild(f, changed);                  \
    }
KIT_DATE_SETTER(Day, day)
KIT_DATE_SETTER(Month, month)
KIT_DATE_SETTER(Year, year)
KIT_DATE_SETTER(Hour, hour)
KIT_DATE_SETTER(Minute, minute)
KIT_DATE_SETTER(Second, second)
#undef KIT_DATE_SETTER

}  // namespace kit
