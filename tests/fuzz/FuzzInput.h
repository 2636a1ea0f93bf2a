// Splits a fuzz input into leading fields and the rest: each field is one
// line ending in '\n', so seed files stay readable and hand-editable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace varnel::fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : rest_(reinterpret_cast<const char*>(data), size) {}

    // The next field without its '\n'; empty when the input has run out.
    std::string_view field() {
        const std::size_t end = rest_.find('\n');
        const std::string_view value = rest_.substr(0, end);
        rest_.remove_prefix(end == std::string_view::npos ? rest_.size() : end + 1);
        return value;
    }

    std::string_view rest() const { return rest_; }

private:
    std::string_view rest_;
};

// A broken property: libFuzzer saves the input as a crash file.
[[noreturn]] inline void fail(const char* what) {
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

inline void require(bool holds, const char* what) {
    if (!holds) {
        fail(what);
    }
}

}  // namespace varnel::fuzz
