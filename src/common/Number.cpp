#include "common/Number.h"

#include <cctype>
#include <cmath>
#include <limits>

namespace varnel {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

double textToNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Digits are accumulated by hand so no locale, exponent, "nan" or "inf"
    // spelling can sneak in; 400 digits already exceed the double range.
    double value = 0;
    int digits = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        value = value * 10 + (text[i] - '0');
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        double scale = 0.1;
        for (++i; i < text.size() && isDigit(text[i]); ++i) {
            value += (text[i] - '0') * scale;
            scale /= 10;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (!std::isfinite(value)) {
        value = std::numeric_limits<double>::max();
    }
    return negative ? -value : value;
}

std::int32_t textToInt(std::string_view text) {
    const double value = std::trunc(textToNumber(text));
    if (value >= static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (value <= static_cast<double>(std::numeric_limits<std::int32_t>::min())) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(value);
}

std::string decimal(long long value) {
    return std::to_string(value);
}

}  // namespace varnel
