#include "settings/FileText.h"

#include <cstddef>
#include <string_view>
#include <utility>

#include "common/Utf16.h"

namespace varnel::ini {

namespace {

constexpr std::string_view kUtf16Bom = "\xFF\xFE";

}  // namespace

FileText::FileText(std::string bytes) : utf16_(bytes.starts_with(kUtf16Bom)) {
    if (!utf16_) {
        text_ = std::move(bytes);
        return;
    }
    const std::size_t whole = bytes.size() / 2 * 2;
    text_ = utf8FromUtf16le(std::string_view(bytes).substr(0, whole));
    oddByte_ = bytes.substr(whole);
}

std::string FileText::bytes(std::string edited) const {
    return utf16_ ? utf16leFromUtf8(edited) + oddByte_ : edited;
}

}  // namespace varnel::ini
