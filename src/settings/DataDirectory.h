// Where the program keeps the files it writes, chosen once at start-up.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace varnel {

// The executable's directory when the program may write there (a portable copy);
// else the folder "Varnel" in the user's roaming application data, created when
// missing and given a settings file standing beside the executable the first
// time. Falls back to the executable's directory when that folder cannot be had.
std::string chooseDataDirectory(Platform& platform);

}  // namespace varnel
