#!/usr/bin/env bash
# Cross-builds the Windows binaries (Nexaro.dll, Q71Device.dll, q71-host.exe and the tests) with
# MinGW-w64 against the Qt SDK for Windows, runs under Wine the tests that need no Linux and every
# golden scenario, and packs the Windows ZIP. The SDK is ../shared/sdk/qt6.4.2-mingw64.tar.xz, or
# the tarball Q71_QT_MINGW_SDK names (scripts/build-qt-mingw.sh makes one). A missing SDK or Wine
# fails the run: it is never skipped.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"

sdk_tarball="${Q71_QT_MINGW_SDK:-$root/../shared/sdk/qt6.4.2-mingw64.tar.xz}"
build="$root/build/mingw"
jobs="$(nproc)"
wine=/usr/lib/wine/wine64
fail() {
    echo "windows.sh: $*" >&2
    exit 1
}
[ -f "$sdk_tarball" ] || fail "no Qt SDK for Windows at $sdk_tarball (scripts/build-qt-mingw.sh builds one)"
[ -x "$wine" ] || fail "no Wine at $wine (Debian's wine64)"

began=$SECONDS
stage() {
    echo "=== mingw: $1 ($((SECONDS - began)) s so far)"
}

stage "unpack the Qt SDK"
sdk="$build/qt6.4.2-mingw64"
if [ ! -f "$sdk/mingw-w64-x86_64.cmake" ] || [ "$sdk_tarball" -nt "$sdk/mingw-w64-x86_64.cmake" ]; then
    rm -rf "$sdk"
    mkdir -p "$build"
    tar xJf "$sdk_tarball" -C "$build"
    touch "$sdk/mingw-w64-x86_64.cmake"
fi

# One Wine prefix for the build, made before the tests run in parallel, which would otherwise race
# to make it (ctest's first command, tests/windows/wine_session.sh, keeps its server up while they
# run).
export WINEPREFIX="$build/wine"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    stage "make the Wine prefix"
    "$wine" wineboot -i >/dev/null 2>&1
    "$wine" winecfg /v win10 >/dev/null 2>&1
    wineserver -w
fi

stage "configure"
cmake -S "$root" -B "$build" -G Ninja -DQ71_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$sdk/mingw-w64-x86_64.cmake" >"$build/configure.log"
grep -E "^-- Windows build" "$build/configure.log"
stage "build"
cmake --build "$build" -j"$jobs"
stage "exports of Q71Device.dll"
x86_64-w64-mingw32-objdump -p "$build/plugins/Q71Device.dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p'
stage "test under Wine"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j"$jobs" --timeout 300
stage "package"
(cd "$build" && cpack -G ZIP)
stage "done"
