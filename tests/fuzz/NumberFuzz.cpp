// Text to number on arbitrary text: never NaN or infinite, textToInt is
// textToNumber truncated and clamped, blanks before the number change
// nothing, a minus sign only flips the sign, and the value is the C library's
// reading of the same leading decimal within rounding.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "FuzzInput.h"
#include "common/Number.h"

namespace varnel::fuzz {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The leading [sign] digits [. digits] after spaces and tabs, for strtod; its
// own reading would also take exponents, hex, "inf" and "nan".
std::string leadingDecimal(std::string_view text) {
    std::size_t i = text.find_first_not_of(" \t");
    if (i == std::string_view::npos) {
        return "";
    }
    const std::size_t begin = i;
    if (text[i] == '+' || text[i] == '-') {
        ++i;
    }
    while (i < text.size() && isDigit(text[i])) {
        ++i;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && isDigit(text[i])) {
            ++i;
        }
    }
    return std::string(text.substr(begin, i - begin));
}

std::int32_t clampedTruncation(double value) {
    const double t = std::trunc(value);
    if (t >= std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (t <= std::numeric_limits<std::int32_t>::min()) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(t);
}

void checkText(std::string_view text) {
    const double value = textToNumber(text);
    require(std::isfinite(value), "textToNumber gave NaN or infinity");
    require(textToInt(text) == clampedTruncation(value),
            "textToInt is not textToNumber truncated and clamped");

    require(textToNumber(" \t" + std::string(text)) == value, "leading blanks changed the value");

    const std::string decimal = leadingDecimal(text);
    const bool hasDigit = decimal.find_first_of("0123456789") != std::string::npos;
    if (!hasDigit) {
        require(value == 0, "text without a number gave a value");
        return;
    }
    if (decimal[0] == '-') {
        std::string positive = std::string(text);
        positive[positive.find('-')] = '+';
        require(textToNumber(positive) == -value, "a minus sign did more than flip the sign");
    }
    // Beyond the double range the value saturates at the largest double.
    double reference = std::strtod(decimal.c_str(), nullptr);
    if (std::isinf(reference)) {
        reference = std::copysign(std::numeric_limits<double>::max(), reference);
    }
    const double tolerance = 1e-9 * std::fabs(reference) + 1e-300;
    require(std::fabs(value - reference) <= tolerance, "textToNumber is off the decimal's value");
    // Only a value within rounding of an integer may truncate to another one.
    const std::int64_t wanted = clampedTruncation(reference);
    const std::int64_t got = textToInt(text);
    require(got - wanted <= 1 && wanted - got <= 1, "textToInt is off the decimal's value");
}

}  // namespace
}  // namespace varnel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    varnel::fuzz::checkText(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
