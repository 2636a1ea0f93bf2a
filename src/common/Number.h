// Text to number, the one rule for the whole program: decimal reading,
// fractions allowed, truncated toward zero; empty or non-numeric text gives 0.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace varnel {

// The leading decimal number of the text (after blanks), or 0. Never NaN or
// infinite: values beyond the double range saturate.
double textToNumber(std::string_view text);

// textToNumber truncated toward zero and clamped to the 32-bit range.
std::int32_t textToInt(std::string_view text);

// Plain decimal text, no leading zeros.
std::string decimal(long long value);

}  // namespace varnel
