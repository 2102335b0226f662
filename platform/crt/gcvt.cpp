#include "platform/crt/gcvt.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxDigits = 40;

// Drops the zeros that end the fraction, keeping the point itself.
void StripFractionZeros(char* text)
{
    char* point = std::strchr(text, '.');
    if (!point)
        return;
    char* exponent = std::strchr(point, 'e');
    char* end = exponent ? exponent : point + std::strlen(point);
    char* last = end;
    while (last > point + 1 && last[-1] == '0')
        --last;
    std::memmove(last, end, std::strlen(end) + 1);
}

} // namespace

char* _gcvt(double value, int digits, char* buffer)
{
    if (digits < 1)
        digits = 1;
    if (digits > kMaxDigits)
        digits = kMaxDigits;
    if (!std::isfinite(value)) {
        std::strcpy(buffer, std::isnan(value) ? "1.#QNAN" : value < 0 ? "-1.#INF" : "1.#INF");
        return buffer;
    }

    // The original works from a 17-digit decimal form of the value and rounds
    // that text half away from zero.
    char mantissa[kMaxDigits + 2] = {};
    int exponent = -1; // zero prints as "0."
    if (value != 0.0) {
        char probe[64];
        std::snprintf(probe, sizeof probe, "%.16e", std::fabs(value));
        exponent = std::atoi(std::strchr(probe, 'e') + 1);
        int count = 0;
        for (const char* p = probe; *p != 'e'; ++p)
            if (*p != '.')
                mantissa[count++] = *p;
    }
    for (int i = 0; i < kMaxDigits + 1; ++i)
        if (!mantissa[i])
            mantissa[i] = '0';
    mantissa[kMaxDigits + 1] = '\0';

    int rounded = exponent;
    if (mantissa[digits] >= '5') {
        int i = digits - 1;
        while (i >= 0 && mantissa[i] == '9')
            mantissa[i--] = '0';
        if (i >= 0) {
            ++mantissa[i];
        } else { // 9.99... became 10.0...
            std::memmove(mantissa + 1, mantissa, static_cast<size_t>(digits));
            mantissa[0] = '1';
            ++rounded;
        }
    }
    for (int i = digits; i < kMaxDigits + 1; ++i)
        mantissa[i] = '0';

    // The notation follows the exponent of the rounded digits, so the text
    // never carries more significant digits than asked for.
    const bool exponential = rounded < -1 || rounded > digits - 1;
    const int decimals = digits - rounded - 1;

    char* out = buffer;
    if (value < 0)
        *out++ = '-';
    if (exponential) {
        *out++ = mantissa[0];
        *out++ = '.';
        for (int i = 1; i < digits; ++i)
            *out++ = mantissa[i];
        std::sprintf(out, "e%c%03d", rounded < 0 ? '-' : '+', rounded < 0 ? -rounded : rounded);
    } else {
        // Digit k of the mantissa has the place value 10^(rounded - k).
        auto digitAt = [&](int place) {
            const int index = rounded - place;
            return index >= 0 && index < kMaxDigits + 1 ? mantissa[index] : '0';
        };
        if (rounded < 0)
            *out++ = '0';
        for (int place = rounded; place >= 0; --place)
            *out++ = digitAt(place);
        *out++ = '.';
        for (int place = -1; place >= -decimals; --place)
            *out++ = digitAt(place);
        *out = '\0';
    }
    StripFractionZeros(buffer);
    return buffer;
}
