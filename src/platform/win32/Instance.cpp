// One copy per Windows session: the claim is a mutex that the running copy owns,
// named in the session's namespace and not after the folder, so that a copy
// anywhere counts.
#include "platform/win32/Win32Platform.h"

namespace varnel {

namespace {

constexpr wchar_t kClaimName[] = L"Local\\Varnel.instance";
// Set by the copy that takes the claim after a release, so the copy that let it
// go learns of it without taking the claim itself.
constexpr wchar_t kHandoverName[] = L"Local\\Varnel.handover";
constexpr int kListenerTries = 50;  // 5 s: the running copy may not have its window yet

}  // namespace

bool Win32Platform::claimInstance() {
    if (claimed_) {
        return true;
    }
    if (!claim_ && !(claim_ = CreateMutexW(nullptr, FALSE, kClaimName))) {
        return true;  // no claim to be had: rather two copies than none
    }
    // A copy that ended without letting go leaves it abandoned, which hands it over too.
    const DWORD waited = WaitForSingleObject(claim_, 0);
    claimed_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    if (claimed_ && handover_) {  // taken back: this copy's own handover is over
        CloseHandle(handover_);
        handover_ = nullptr;
    } else if (claimed_) {
        if (const HANDLE handover = OpenEventW(EVENT_MODIFY_STATE, FALSE, kHandoverName)) {
            SetEvent(handover);
            CloseHandle(handover);
        }
    }
    return claimed_;
}

void Win32Platform::releaseInstance() {
    if (!claimed_) {
        return;
    }
    // Ready before the claim is free, so that the copy taking it finds it.
    if (!handover_) {
        handover_ = CreateEventW(nullptr, TRUE, FALSE, kHandoverName);
    }
    if (handover_) {
        ResetEvent(handover_);
    }
    ReleaseMutex(claim_);
    claimed_ = false;
}

bool Win32Platform::instanceTakenOver() {
    if (!claim_) {
        return true;  // there was no claim to hand over
    }
    if (!handover_ || WaitForSingleObject(handover_, 0) != WAIT_OBJECT_0) {
        return false;
    }
    CloseHandle(handover_);
    handover_ = nullptr;
    return true;
}

// FindWindowEx sees the top-level windows of this session's desktop only. During a
// restart both copies have a listener: both are asked, and the one that stays shows.
void Win32Platform::askRunningCopyToShow() {
    for (int tries = 0; tries < kListenerTries; ++tries) {
        bool asked = false;
        HWND listener = nullptr;
        while ((listener = FindWindowExW(nullptr, listener, kListenerClass, nullptr))) {
            DWORD process = 0;
            GetWindowThreadProcessId(listener, &process);
            AllowSetForegroundWindow(process);  // the user started this one: the clock may come up
            asked = PostMessageW(listener, showAsked_, 0, 0) || asked;
        }
        if (asked) {
            return;
        }
        Sleep(100);
    }
}

}  // namespace varnel
