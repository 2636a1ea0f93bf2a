// The desktop-gadget look: the user32 calls passed on literally, the
// snapshot of a window and its shape cut from that snapshot.
#include <vector>

#include "platform/win32/Bitmap.h"
#include "platform/win32/Win32Platform.h"

namespace varnel {

namespace {

HWND handleOf(NativeHandle handle) {
    return reinterpret_cast<HWND>(handle);
}

HRGN regionOf(const std::vector<PixelRun>& runs, int width, int height) {
    std::vector<char> buffer(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(runs.size());
    data->rdh.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
    data->rdh.rcBound = RECT{0, 0, width, height};
    auto* rects = reinterpret_cast<RECT*>(buffer.data() + sizeof(RGNDATAHEADER));
    for (std::size_t i = 0; i < runs.size(); ++i) {
        rects[i] = RECT{runs[i].left, runs[i].row, runs[i].right, runs[i].row + 1};
    }
    return ExtCreateRegion(nullptr, static_cast<DWORD>(buffer.size()), data);
}

}  // namespace

NativeHandle Win32Platform::nativeHandle(WindowId window) {
    const WindowState* state = find(window);
    return state ? reinterpret_cast<NativeHandle>(state->hwnd) : 0;
}

long Win32Platform::getWindowLongA(WindowId window, int index) {
    return GetWindowLongA(handleOf(nativeHandle(window)), index);
}

void Win32Platform::setWindowLongA(WindowId window, int index, long value) {
    SetWindowLongA(handleOf(nativeHandle(window)), index, value);
}

void Win32Platform::setLayeredWindowAttributes(WindowId window, Color key, int alpha,
                                               unsigned flags) {
    SetLayeredWindowAttributes(handleOf(nativeHandle(window)), key, static_cast<BYTE>(alpha),
                               flags);
}

NativeHandle Win32Platform::findWindowA(const std::string& className) {
    return reinterpret_cast<NativeHandle>(FindWindowA(className.c_str(), nullptr));
}

NativeHandle Win32Platform::getWindow(NativeHandle window, unsigned command) {
    return reinterpret_cast<NativeHandle>(GetWindow(handleOf(window), command));
}

void Win32Platform::setParent(WindowId window, NativeHandle parent) {
    SetParent(handleOf(nativeHandle(window)), handleOf(parent));
}

// Copies what the window shows on the screen, frame included, after letting
// it and its controls finish painting.
bool Win32Platform::snapshotWindow(WindowId window, const std::string& bitmapPath) {
    const WindowState* state = find(window);
    if (!state) {
        return false;
    }
    const HWND hwnd = state->hwnd;
    RECT frame;
    GetWindowRect(hwnd, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as the file stores it
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const HDC source = GetWindowDC(hwnd);
    const HDC memory = CreateCompatibleDC(source);
    void* bits = nullptr;
    const HBITMAP image = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (image) {
        const HGDIOBJ previous = SelectObject(memory, image);
        copied = BitBlt(memory, 0, 0, width, height, source, 0, 0, SRCCOPY) != 0;
        GdiFlush();
        SelectObject(memory, previous);
    }
    const std::string file =
        copied ? bitmapFile(width, height, static_cast<const std::uint8_t*>(bits)) : "";
    if (image) {
        DeleteObject(image);
    }
    DeleteDC(memory);
    ReleaseDC(hwnd, source);
    return copied && writeFile(bitmapPath, file);
}

// Keeps exactly the pixels whose colour is not the key; the others become
// holes that neither paint nor take the mouse.
void Win32Platform::setWindowShape(WindowId window, const std::string& bitmapPath, Color key) {
    const WindowState* state = find(window);
    const std::optional<std::string> bytes = state ? readFile(bitmapPath) : std::nullopt;
    const std::optional<BitmapImage> image = bytes ? readBitmap(*bytes) : std::nullopt;
    if (!image) {
        return;  // no usable bitmap: the window keeps its shape
    }
    const HRGN region = regionOf(runsNotOf(*image, key), image->width, image->height);
    if (region && !SetWindowRgn(state->hwnd, region, TRUE)) {
        DeleteObject(region);
    }
}

}  // namespace varnel
