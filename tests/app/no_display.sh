#!/bin/sh
# mivex --help and --version print and succeed where there is no display at
# all, as over SSH or in a script.
set -u
mivex=$1 version=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
shown=$("$mivex" --version 2>&1) || fail "--version failed: $shown"
[ "$shown" = "mivex $version" ] || fail "--version printed '$shown'"
shown=$("$mivex" --help 2>&1) || fail "--help failed: $shown"
case $shown in *--data-dir*) ;; *) fail "--help printed '$shown'" ;; esac
echo "ok"
