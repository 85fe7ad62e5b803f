#!/bin/bash
# Cross-build a minimal Qt 6.4.2 (qtbase: Core, Concurrent, Xml, Test; shared,
# release) for Windows x86_64 with Debian 12's mingw-w64 (posix threads),
# using Debian's own qt6-base source package and Debian's qt6-base-dev as the
# host Qt (moc, rcc, ... under /usr/lib/qt6). Then package it as a relocatable
# SDK tarball that also contains the toolchain file and a Wine runner.
#
# scripts/windows.sh unpacks the tarball this makes (../shared/sdk/qt6.4.2-mingw64.tar.xz, or the
# file Q71_QT_MINGW_SDK names): without ../shared, build it here and point Q71_QT_MINGW_SDK at it.
#
# Usage (as root on a fresh Debian 12 amd64 machine):
#   ./build-qt-mingw.sh            # all steps
#   ./build-qt-mingw.sh deps source configure build install package   # any subset, in order
# Environment:
#   WORK   work folder            (default ./qtmingw-work)
#   PREFIX install prefix         (default $WORK/prefix)
#   JOBS   parallel compile jobs  (default 2)
#   NICE   nice level             (default 19)
set -euo pipefail

WORK=${WORK:-$PWD/qtmingw-work}
PREFIX=${PREFIX:-$WORK/prefix}
JOBS=${JOBS:-2}
NICE=${NICE:-19}
QT_VER=6.4.2
SRC=$WORK/src/qt6-base-$QT_VER+dfsg
BUILD=$WORK/build-qtbase
TOOLCHAIN=$WORK/mingw-w64-x86_64.cmake
TARBALL=$WORK/qt$QT_VER-mingw64.tar.xz
TRIPLE=x86_64-w64-mingw32

log() { printf '\n=== [%s] %s\n' "$(date +%T)" "$*"; }

step_deps() {
    log "apt: deb-src entry + packages"
    # deb-src is needed for 'apt-get source qt6-base'.
    # The source entries mirror the machine's own binary ones, so no archive is named here.
    if ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && ! grep -qs '^deb-src ' /etc/apt/sources.list; then
        for f in /etc/apt/sources.list.d/*.sources; do
            [ -f "$f" ] && sed 's/^Types: deb$/Types: deb-src/' "$f"
        done > /etc/apt/sources.list.d/qtmingw-src.sources
        if [ -f /etc/apt/sources.list ]; then
            sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list > /etc/apt/sources.list.d/qtmingw-src.list
        fi
    fi
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
        g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix \
        binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev \
        qt6-base-dev qt6-base-dev-tools \
        cmake ninja-build perl python3 dpkg-dev xz-utils ca-certificates \
        wine64 wine
    # The host Qt (tools) must be the same version as the Qt being built.
    dpkg-query -W -f='${Version}\n' qt6-base-dev | grep -q "^$QT_VER" \
        || { echo "qt6-base-dev is not $QT_VER" >&2; exit 1; }
}

step_source() {
    log "apt-get source qt6-base (=$QT_VER+dfsg, Debian patches applied)"
    mkdir -p "$WORK/src"
    cd "$WORK/src"
    [ -d "$SRC" ] || apt-get source qt6-base
    # The +dfsg tarball drops src/3rdparty/{sqlite,iaccessible2,wintab,gradle jar}:
    # none is needed for Core/Xml/Test (sqlite = SQL plugin, iaccessible2 and
    # wintab = QtGui on Windows). pcre2, zlib, double-conversion, md4c,
    # tinycbor, forkfd, blake2, sha3, ... are all still bundled and used.
    for d in pcre2 zlib double-conversion blake2 sha3 md5 md4 rfc6234 tinycbor; do
        [ -d "$SRC/src/3rdparty/$d" ] || { echo "missing bundled $d" >&2; exit 1; }
    done
}

write_toolchain() {
    cat > "$TOOLCHAIN" <<'EOF'
# CMake toolchain file: Debian 12 mingw-w64 (posix threads) -> Windows x86_64.
#
# Used twice:
#  * to cross-build qtbase itself (build-qt-mingw.sh), and
#  * by projects that use the resulting Qt SDK. When this file sits in the root
#    of an installed Qt SDK (next to bin/, lib/cmake/Qt6/), it also makes
#    find_package(Qt6 ...) find that SDK, points Qt at the host tools of
#    Debian's qt6-base-dev (/usr, moc/rcc under /usr/lib/qt6/libexec) and sets
#    CMAKE_CROSSCOMPILING_EMULATOR to bin/qt-wine.sh so that ctest runs the
#    .exe files under Wine. The SDK can be moved anywhere: paths are computed
#    from this file's location.
#
# Needs: g++-mingw-w64-x86-64-posix, qt6-base-dev (same 6.4.2 as the SDK),
#        wine64 + wine (only to run things).

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_qtmingw_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${_qtmingw_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_qtmingw_triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${_qtmingw_triple}-windres)

# Target libraries/headers/packages only come from the mingw sysroot (and the
# Qt SDK below); programs (moc, rcc, ...) come from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${_qtmingw_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Never let pkg-config report the host's (Linux) libraries.
set(ENV{PKG_CONFIG_LIBDIR} "/usr/${_qtmingw_triple}/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# --- Qt SDK next to this file (absent while qtbase itself is being built) ---
get_filename_component(_qtmingw_sdk "${CMAKE_CURRENT_LIST_DIR}" ABSOLUTE)
if(EXISTS "${_qtmingw_sdk}/lib/cmake/Qt6/Qt6Config.cmake")
    # Same layout trick as Qt's own qt.toolchain.cmake (REROOT_PATH_ISSUE_MARKER):
    # root path = SDK prefix, prefix path = SDK lib/cmake.
    list(PREPEND CMAKE_FIND_ROOT_PATH "${_qtmingw_sdk}")
    list(PREPEND CMAKE_PREFIX_PATH "${_qtmingw_sdk}/lib/cmake")
    list(REMOVE_DUPLICATES CMAKE_FIND_ROOT_PATH)
    list(REMOVE_DUPLICATES CMAKE_PREFIX_PATH)
    # Host Qt (Debian's qt6-base-dev) provides moc/rcc/uic/cmake_automoc_parser.
    set(QT_HOST_PATH "/usr" CACHE PATH "Host Qt prefix")
    set(QT_HOST_PATH_CMAKE_DIR "/usr/lib/x86_64-linux-gnu/cmake" CACHE PATH "Host Qt CMake dir")
    # Run target executables (ctest, add_custom_command with a target) under Wine.
    if(NOT CMAKE_CROSSCOMPILING_EMULATOR AND EXISTS "${_qtmingw_sdk}/bin/qt-wine.sh")
        set(CMAKE_CROSSCOMPILING_EMULATOR "${_qtmingw_sdk}/bin/qt-wine.sh")
    endif()
endif()
EOF
}

step_configure() {
    log "configure"
    write_toolchain
    rm -rf "$BUILD"
    mkdir -p "$BUILD"
    cd "$BUILD"
    # -qt-host-path /usr: Debian's host Qt; its cmake files are not in
    #   /usr/lib/cmake but in the multiarch dir, hence QT_HOST_PATH_CMAKE_DIR.
    # -qt-zlib/-qt-pcre/-qt-doubleconversion: use the bundled copies (the
    #   mingw sysroot has a zlib1.dll we do not want to depend on).
    # -no-feature-androiddeployqt: Debian's cross.patch enables it for cross builds.
    nice -n "$NICE" "$SRC/configure" \
        -prefix "$PREFIX" \
        -qt-host-path /usr \
        -release -shared \
        -nomake examples -nomake tests \
        -no-gui -no-widgets -no-opengl -no-dbus -no-icu \
        -no-feature-sql -no-feature-network -no-feature-printsupport \
        -no-feature-androiddeployqt \
        -qt-zlib -qt-pcre -qt-doubleconversion \
        -no-feature-system-libb2 -no-feature-zstd \
        -no-pkg-config \
        -- \
        -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
}

step_build() {
    log "build (nice -n $NICE, -j$JOBS)"
    cd "$BUILD"
    time nice -n "$NICE" cmake --build . --parallel "$JOBS"
}

step_install() {
    log "install to $PREFIX"
    cd "$BUILD"
    rm -rf "$PREFIX"
    nice -n "$NICE" cmake --install .
    # Make the SDK self-contained and relocatable:
    # 1. mingw runtime DLLs next to the Qt DLLs (posix thread model),
    cp /usr/lib/gcc/$TRIPLE/12-posix/libstdc++-6.dll \
       /usr/lib/gcc/$TRIPLE/12-posix/libgcc_s_seh-1.dll \
       /usr/$TRIPLE/lib/libwinpthread-1.dll "$PREFIX/bin/"
    # 2. the toolchain file in the SDK root,
    cp "$TOOLCHAIN" "$PREFIX/mingw-w64-x86_64.cmake"
    # 3. Qt's generated qt.toolchain.cmake (used by bin/qt-cmake) chain-loads
    #    the toolchain by absolute path: make it relative to the SDK,
    sed -i 's|^set(__qt_initially_configured_toolchain_file ".*")$|set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/../../../mingw-w64-x86_64.cmake")|' \
        "$PREFIX/lib/cmake/Qt6/qt.toolchain.cmake"
    grep -q 'CMAKE_CURRENT_LIST_DIR}/../../../mingw-w64-x86_64.cmake' "$PREFIX/lib/cmake/Qt6/qt.toolchain.cmake"
    # 4. a Wine runner used as CMAKE_CROSSCOMPILING_EMULATOR.
    cat > "$PREFIX/bin/qt-wine.sh" <<'EOF'
#!/bin/sh
# Run a Windows program built against this Qt SDK under Wine, headless.
# Used as CMAKE_CROSSCOMPILING_EMULATOR by mingw-w64-x86_64.cmake, so ctest
# runs tests as: qt-wine.sh test.exe [args]. Exit code = the program's.
# The Qt DLLs and the mingw runtime DLLs (this folder) are put on WINEPATH.
here=$(cd "$(dirname "$0")" && pwd)
sdkbin="Z:$(printf '%s' "$here" | sed 's|/|\\|g')"
export WINEPATH="$sdkbin${WINEPATH:+;$WINEPATH}"
export WINEDEBUG="${WINEDEBUG:--all}"
# Do not offer to install Mono/Gecko when a new Wine prefix is created.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Qt on Windows sends qDebug/qWarning -- and QtTest's whole stdout log! --
# to OutputDebugString (invisible here) unless stderr is a console; force
# them to stdout/stderr.
export QT_FORCE_STDERR_LOGGING="${QT_FORCE_STDERR_LOGGING:-1}"
# Wine does NOT pass QT_* (nor PATH/HOME/TEMP/VK_*) variables from the Unix
# environment to Windows programs; it passes WINEQT_FOO as QT_FOO. Forward
# every QT_* variable that way (QT_LOGGING_RULES, QT_FORCE_STDERR_LOGGING, ...).
for v in $(env | sed -n 's/^\(QT_[A-Za-z0-9_]*\)=.*/\1/p'); do
    eval "export WINE$v=\"\$$v\""
done
# Console programs need no X display; keep Wine from trying one.
unset DISPLAY WAYLAND_DISPLAY
if command -v wine64 >/dev/null 2>&1; then w=wine64
elif [ -x /usr/lib/wine/wine64 ]; then w=/usr/lib/wine/wine64
else w=wine
fi
# A new Wine prefix (first run: wineboot, ~10 s) reports Windows 7 in
# Debian's Wine 8; Qt 6 supports Windows 10+, so make the new prefix say
# Windows 10 (set QTWINE_KEEP_WINVER=1 to skip).
if [ ! -f "${WINEPREFIX:-$HOME/.wine}/system.reg" ] && [ -z "${QTWINE_KEEP_WINVER:-}" ]; then
    "$w" winecfg /v win10 >/dev/null 2>&1 || true
fi
exec "$w" "$@"
EOF
    chmod +x "$PREFIX/bin/qt-wine.sh"
    # Strip the DLLs (release build; keeps the import libs intact).
    find "$PREFIX" -name '*.dll' -exec $TRIPLE-strip --strip-unneeded {} +
}

step_package() {
    log "package $TARBALL"
    cd "$(dirname "$PREFIX")"
    local name; name=$(basename "$PREFIX")
    # Top folder in the tarball: qt6.4.2-mingw64/
    rm -f "$TARBALL"
    nice -n "$NICE" tar --transform "s|^$name|qt$QT_VER-mingw64|" -cJf "$TARBALL" "$name"
    ls -l "$TARBALL"
}

steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(deps source configure build install package)
for s in "${steps[@]}"; do "step_$s"; done
