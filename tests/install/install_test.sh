#!/bin/sh
# Installs Mivex into a temporary prefix and checks it as a user's desktop
# would: every file in its place, the desktop entry and AppStream metadata
# valid, manual pages that name no build folder, the installed programs
# running and finding their help page and modules in the prefix.
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

# The installed programs find the vCard reader module in the prefix, and a
# missing module is a failure that says so, not an empty address book.
mkdir -p "$scratch/data/contacts"
printf 'BEGIN:VCARD\r\nFN:Ann\r\nTEL;TYPE=CELL:+44 7700 900123\r\nEND:VCARD\r\n' \
    >"$scratch/data/contacts/ann.vcf"
contacts() { (cd / && "$prefix/bin/mivex-contacts" --data-dir "$scratch/data" list 2>&1); }
listed=$(contacts) || fail "mivex-contacts list failed: $listed"
[ "$listed" = "Ann,+447700900123,M" ] || fail "mivex-contacts listed '$listed'"
module=$(find "$prefix" -name libmivex-vcard.so)
[ -n "$module" ] || fail "the vCard reader module is not installed"
mv "$module" "$module.away"
# What the cache holds needs no reader; a file it does not hold does.
listed=$(contacts) || fail "mivex-contacts list failed on the cache: $listed"
rm "$scratch/data/contacts.cache"
listed=$(contacts) && fail "mivex-contacts list succeeded without its vCard reader"
case $listed in
*"vCard reader cannot be loaded"*) ;;
*) fail "mivex-contacts said '$listed' without its vCard reader" ;;
esac
mv "$module.away" "$module"

# The ModemManager link is a module as well. Found in the prefix, it answers
# for an "mm-" port (here that no ModemManager runs on a bus that is not
# there); without it, the port says the support is missing.
modem_run() {
    (cd / && DBUS_SYSTEM_BUS_ADDRESS="unix:path=$scratch/no-bus" \
        "$prefix/bin/mivex-cli" --data-dir "$scratch/data" --port mm-1: receive 2>&1)
}
module=$(find "$prefix" -name libmivex-modem.so)
[ -n "$module" ] || fail "the ModemManager module is not installed"
said=$(modem_run) && fail "a receive through an absent ModemManager succeeded"
case $said in
*"ModemManager is not running"*) ;;
*) fail "mivex-cli said '$said' for a ModemManager port" ;;
esac
[ -z "$module" ] || mv "$module" "$module.away"
said=$(modem_run) && fail "a receive without the ModemManager module succeeded"
case $said in
*"ModemManager support is not installed"*) ;;
*) fail "mivex-cli said '$said' without its ModemManager module" ;;
esac
[ -z "$module" ] || mv "$module.away" "$module"
# The socket between copies of the desktop program, beside the others.
[ -n "$(find "$prefix" -name libmivex-instance.so)" ] ||
    fail "the desktop program's instance module is not installed"

cp "$probe" "$prefix/bin/"
url=$(cd / && "$prefix/bin/$(basename "$probe")" 2>/dev/null) || true
[ "$url" = "file://$prefix/share/mivex/help/Mivex.htm#Mivex_Contents" ] ||
    fail "the installed program looks for its help at '$url'"

exit $status
