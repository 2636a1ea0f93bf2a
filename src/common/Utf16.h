// UTF-16LE bytes and UTF-8 text, converted both ways without loss: an unpaired
// surrogate becomes its three-byte form (as WTF-8 writes it) and comes back as
// the same code unit, so damaged text survives a round trip unchanged.
#pragma once

#include <string>
#include <string_view>

namespace varnel {

// An odd last byte, half a code unit, is left out.
std::string utf8FromUtf16le(std::string_view bytes);

// A byte that starts no UTF-8 (or WTF-8) character becomes U+FFFD.
std::string utf16leFromUtf8(std::string_view text);

}  // namespace varnel
