// Texts shared by several windows.
#pragma once

namespace varnel {

// Caption of the message boxes that have no title of their own.
inline constexpr const char* kUntitledCaption = "Varnel";

}  // namespace varnel
