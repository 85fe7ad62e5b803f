#!/bin/sh
# run_in_xvfb.sh PROGRAM [ARGUMENTS...]: runs PROGRAM on an X server of its own, an Xvfb that picks a
# free display itself (-displayfd), so that tests running side by side never meet on one display.
# The server's size and resolution are fixed, and no desktop theme is asked for, so that the
# screenshots depend on the program alone. The program's exit status is this script's.
set -u
dir=$(mktemp -d) || exit 1
Xvfb -displayfd 3 -screen 0 1280x1024x24 -dpi 96 -nolisten tcp 3>"$dir/display" 2>"$dir/xvfb.log" &
server=$!
tries=0
while [ ! -s "$dir/display" ]; do
    if ! kill -0 "$server" 2>/dev/null || [ "$tries" -ge 300 ]; then
        echo "run_in_xvfb.sh: Xvfb did not start:" >&2
        cat "$dir/xvfb.log" >&2
        kill "$server" 2>/dev/null
        rm -rf "$dir"
        exit 1
    fi
    tries=$((tries + 1))
    sleep 0.1
done
DISPLAY=:$(head -n 1 "$dir/display")
export DISPLAY
export QT_QPA_PLATFORM=xcb
# libxkbcommon-x11 hands strndup a length beyond the keymap name it copies; strndup stops at its
# end, but AddressSanitizer's strict string checks read the whole length and stop the program
# before it has a window. The rest of the checks stay.
if [ -n "${ASAN_OPTIONS:-}" ]; then
    export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
fi
unset QT_QPA_PLATFORMTHEME QT_STYLE_OVERRIDE QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_FONT_DPI
"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -rf "$dir"
exit $status
