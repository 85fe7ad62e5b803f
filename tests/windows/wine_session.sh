#!/bin/sh
# ctest's first and last command in a build that runs its tests under Wine (CTestCustom.cmake):
#   wine_session.sh start RUNNER   a persistent server, and Wine's services started by RUNNER
#                                  (the build's emulator) with no output to hold
#   wine_session.sh stop           the server and everything in it ended
set -e
case "$1" in
start)
    wineserver -p </dev/null >/dev/null 2>&1
    "$2" cmd /c exit </dev/null >/dev/null 2>&1
    ;;
stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true
    ;;
esac
