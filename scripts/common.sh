# Shared by scripts/run and scripts/test (sourced, not run).

VARNEL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VARNEL_ROOT

# The Windows build this machine can run under Wine: "win32" (the product
# itself) when 32-bit programs run here, else "win64" (the same sources built
# for x86_64; some kernels have IA-32 emulation turned off).
varnel_runnable_preset() {
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then
        echo win32
    else
        echo win64
    fi
}

# Wine loader and WINEARCH for a preset's programs.
varnel_wine_loader() {
    case $1 in
        win32) echo /usr/lib/wine/wine ;;
        win64) echo /usr/lib/wine/wine64 ;;
    esac
}

# Environment for every Wine command: the given prefix (never ~/.wine), Chinese
# locale (GBK as the ANSI code page), quiet, no Mono/Gecko installer prompts.
varnel_wine_env() {
    local prefix=$1 preset=$2
    export WINEPREFIX=$prefix
    export WINEARCH=$preset
    export WINELOADER
    WINELOADER=$(varnel_wine_loader "$preset")
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
}

# Boots the prefix set by varnel_wine_env unless it is already booted.
varnel_wine_boot() {
    if [[ -f $WINEPREFIX/system.reg ]]; then
        return
    fi
    echo "Creating Wine prefix $WINEPREFIX ..."
    mkdir -p "$WINEPREFIX"
    "$WINELOADER" wineboot -i >/dev/null 2>&1
    /usr/lib/wine/wineserver -w
}

# True while the process runs (an ended child stays a zombie until waited for).
varnel_alive() {
    local state
    state=$(ps -o stat= -p "$1") && [[ $state != Z* ]]
}

# Whether the window manager handles Wine's windows (Y, Wine's default) or Wine
# draws their frames itself (N). Changed only when different, as it costs a Wine start.
varnel_wine_managed() {
    local want=$1 now=Y
    grep -qx '"Managed"="N"' "$WINEPREFIX/user.reg" && now=N
    [[ $now == "$want" ]] && return
    if [[ $want == N ]]; then
        "$WINELOADER" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    else
        "$WINELOADER" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1
    fi
    /usr/lib/wine/wineserver -w
}
