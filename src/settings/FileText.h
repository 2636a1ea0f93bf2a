// A settings file's bytes as the INI text the program edits, and the edited
// text as the file's bytes again. GBK and UTF-8 files are edited as they are.
// A file that begins with the UTF-16LE byte-order mark (Notepad's "Unicode")
// is edited as UTF-8, its mark turned into the UTF-8 one, and saved as
// UTF-16LE again, as Windows' profile functions keep such a file; an odd last
// byte stays last.
#pragma once

#include <string>

namespace varnel::ini {

class FileText {
public:
    explicit FileText(std::string bytes);

    const std::string& text() const { return text_; }
    // `edited`, made from text(), in the file's encoding.
    std::string bytes(std::string edited) const;

private:
    bool utf16_ = false;
    std::string text_;
    std::string oddByte_;
};

}  // namespace varnel::ini
