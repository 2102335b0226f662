#pragma once

// A date-time value: days since 1899-12-30 with the time of day as fraction.

#include "launcher/components/kit_base.h"

namespace kit {

using TDateTime = double;

// The class library's date and time arithmetic (the stand-in has none yet).
// EConvertError for fields that name no real date or time.
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& millisecond);
// Local date and time now.
TDateTime Now();
inline constexpr const char* kDateEncodeError = "Ungültiges Argument für Datumscodierung";
inline constexpr const char* kTimeEncodeError = "Ungültiges Argument für Zeitcodierung";

class TKitDateTime : public TKitObject {
    VCL_DECLARE_CLASS(TKitDateTime, TKitObject)
public:
    TKitDateTime();

    TDateTime Value() const { return value_; }
    void SetValue(TDateTime value);
    void Assign(vcl::TPersistent* source) override;

    int Day() const;
    void SetDay(int value);
    int Month() const;
    void SetMonth(int value);
    int Year() const;
    void SetYear(int value);
    int Hour() const;
    void SetHour(int value);
    int Minute() const;
    void SetMinute(int value);
    int Second() const;
    void SetSecond(int value);

private:
    struct Fields {
        int year, month, day, hour, minute, second;
    };
    Fields Decode() const;
    // Rebuilds the value from `fields` when `changed`; milliseconds are dropped.
    void Rebuild(const Fields& fields, bool changed);

    TDateTime value_;
};

}  // namespace kit
