#!/bin/sh
# mivex --help and --version print and succeed where there is no display at
# all, as over SSH or in a script; a usage error is told there too.
set -u
mivex=$1 version=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
shown=$("$mivex" --version 2>&1) || fail "--version failed: $shown"
[ "$shown" = "mivex $version" ] || fail "--version printed '$shown'"
shown=$("$mivex" --help 2>&1) || fail "--help failed: $shown"
case $shown in *--data-dir*) ;; *) fail "--help printed '$shown'" ;; esac
for wrong in --bogus "--data-dir=" extra; do
    shown=$("$mivex" "$wrong" 2>&1)
    status=$?
    [ $status -eq 2 ] || fail "$wrong ended with $status: $shown"
    case $shown in "mivex: "*) ;; *) fail "$wrong printed '$shown'" ;; esac
done
echo "ok"
