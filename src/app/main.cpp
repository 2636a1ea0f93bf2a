// Program entry: the common controls, the Windows platform, the program, its loop.
#include "app/StartUp.h"
#include "core/Program.h"
#include "platform/win32/Win32Platform.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    varnel::Win32Platform platform(instance);
    varnel::Program program(platform);
    varnel::runProgram(program);
    return 0;
}
