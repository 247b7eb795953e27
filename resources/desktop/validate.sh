#!/bin/sh
# Checks the desktop entry and the AppStream metadata with the freedesktop
# validators. Exits non-zero when either file fails (or a validator is missing).
set -u
dir=$(cd "$(dirname "$0")" && pwd)
status=0

if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$dir/org.mivex.Mivex.desktop" || status=1
else
    echo "validate.sh: desktop-file-validate not found" >&2
    status=1
fi

if command -v appstreamcli >/dev/null 2>&1; then
    appstreamcli validate --no-net "$dir/org.mivex.Mivex.metainfo.xml" || status=1
else
    echo "validate.sh: appstreamcli not found" >&2
    status=1
fi

exit $status
