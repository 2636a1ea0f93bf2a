// Program entry: the common controls, the platform, the program, its loop.
#include <cstdlib>

#include "app/StartUp.h"
#include "core/Program.h"
#include "platform/win32/Win32Platform.h"

// A window program has no console for the verbose handler's message, and the handler
// would bring the name demangler (about 50 KB) into the exe: end the process plainly.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    varnel::Win32Platform platform(instance);
    varnel::Program program(platform);
    varnel::runProgram(program);
    return 0;
}
