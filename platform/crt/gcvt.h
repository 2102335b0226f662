#pragma once

// Formats `value` with `digits` significant digits the way the original
// run-time does: fixed notation while the decimal exponent lies between -1
// and digits - 1, exponent notation with three exponent digits otherwise;
// trailing zeros are dropped but the decimal point stays ("12.", "0.5",
// "1.e+007"). `buffer` must hold digits + 8 characters. Returns `buffer`.
char* _gcvt(double value, int digits, char* buffer);
