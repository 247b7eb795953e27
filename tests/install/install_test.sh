#!/bin/sh
# Installs Mivex into a temporary prefix and checks it as a user's desktop
# would: every file in its place, the desktop entry and AppStream metadata
# valid, manual pages that name no build folder, and the installed program
# running and finding its help page in the prefix.
# Usage: install_test.sh CMAKE BUILD_DIR HELP_PROBE VERSION
set -eu
cmake=$1 build=$2 probe=$3 version=$4

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
prefix=$(realpath "$scratch")/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

status=0
fail() { echo "install_test: $*" >&2; status=1; }

# A home of "/" would match every page; such a builder has no home to leak.
home=${HOME:-/}
[ "$home" != / ] || home=$build

for program in mivex mivex-cli mivex-pdu mivex-contacts mivex-phonesim; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing or not executable"
    page="$prefix/share/man/man1/$program.1"
    [ -s "$page" ] || fail "share/man/man1/$program.1 is missing"
    ! grep -q -F -e "$build" -e "$home" "$page" 2>/dev/null ||
        fail "$program.1 names the build folder or the builder's home"
done
for file in share/mivex/help/Mivex.htm \
            share/applications/org.mivex.Mivex.desktop \
            share/metainfo/org.mivex.Mivex.metainfo.xml \
            share/icons/hicolor/scalable/apps/mivex.svg; do
    [ -s "$prefix/$file" ] || fail "$file is missing"
done

desktop-file-validate "$prefix/share/applications/org.mivex.Mivex.desktop" ||
    fail "the desktop entry does not validate"
appstreamcli validate --no-net "$prefix/share/metainfo/org.mivex.Mivex.metainfo.xml" >/dev/null ||
    fail "the AppStream metadata does not validate"

# Run from elsewhere, with no data folders that could hold another copy of
# the help page: only the prefix can answer.
export QT_QPA_PLATFORM=offscreen XDG_DATA_HOME="$scratch/none" XDG_DATA_DIRS="$scratch/none"
shown=$(cd / && "$prefix/bin/mivex" --version 2>/dev/null) || fail "mivex --version failed"
[ "$shown" = "mivex $version" ] || fail "mivex --version printed '$shown'"

cp "$probe" "$prefix/bin/"
url=$(cd / && "$prefix/bin/$(basename "$probe")" 2>/dev/null) || true
[ "$url" = "file://$prefix/share/mivex/help/Mivex.htm#Mivex_Contents" ] ||
    fail "the installed program looks for its help at '$url'"

exit $status
