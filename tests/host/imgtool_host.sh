# imgtool.exe under Wine against the 64-bit library: a session of the work
# people do with it.  Sourced by tools/test inside a Wine session; prints one
# line per check and "N passed, N failed".
passed=0 failed=0
check() {  # description, command...
    local what=$1; shift
    if "$@"; then echo "ok - $what"; passed=$((passed + 1)); else echo "FAIL - $what"; failed=$((failed + 1)); fi
}
tool() { wine_run imgtool.exe "$@"; }
status_of() { local want=$1; shift; tool "$@" >/dev/null 2>&1; [ $? -eq "$want" ]; }
# The output is taken whole first: under pipefail a failing command would fail
# the match however its output reads.
output_has() { local text=$1 output; shift; output=$(tool "$@" 2>&1); grep -qF "$text" <<<"$output"; }
size_is() { [ "$(stat -c %s "$WINE_WORK/$1")" -eq "$2" ]; }
padded_copy() {  # source, extracted, expected length
    cmp -s -n "$(stat -c %s "$WINE_WORK/$1")" "$WINE_WORK/$1" "$WINE_WORK/$2" && size_is "$2" "$3"
}

# A folder of its own: the host programs run before it leave their archives
# (single.img among them) in the shared work folder.  Sourced in a subshell,
# so the session's folder is changed for this suite only.
mkdir -p "$WINE_WORK/imgtool"
cp "$WINE_WORK/imgtool.exe" "$WINE_WORK/tolvane.dll" "$WINE_WORK/imgtool/"
WINE_WORK=$WINE_WORK/imgtool
[ "$(id -u)" -ne 0 ] || chown -R winetest: "$WINE_WORK"
work=$WINE_WORK
head -c 5000 /dev/urandom >"$work/one.dat"
head -c 4096 /dev/urandom >"$work/two.dat"
[ "$(id -u)" -ne 0 ] || chown winetest: "$work"/*.dat

check "create a paired archive" status_of 0 create models.img --paired
check "which is an empty .dir and .img" eval '[ -f "$work/models.dir" ] && size_is models.dir 0 && size_is models.img 0'
check "create a single-file archive" status_of 0 create single
check "which is a VER2 header with no entries" eval 'printf "VER2\0\0\0\0" | cmp -s - "$work/single.img"'
check "create refuses an existing archive" status_of 1 create models.dir
check "add two files to a paired archive" status_of 0 add models.img one.dat two.dat
check "add two files to a single-file archive" status_of 0 add single.img one.dat two.dat
check "list shows both entries" output_has "total: 2 entries, 6 sectors" list models.img
check "extract by name with -o" status_of 0 extract single.img one.dat -o out
check "the extracted data is the file, padded to whole sectors" padded_copy one.dat out/one.dat 6144
check "replace grows an entry" status_of 0 replace models.img 0 two.dat
check "rebuild in place" status_of 0 rebuild models.img
check "the rebuilt paired archive has no unused sectors" size_is models.img $((6 * 2048))
check "rebuild a single-file archive into a copy" status_of 0 rebuild single.img copy
check "delete by index" status_of 0 delete copy.img 1

# Installing a modification: same names (any case) replaced, new ones added,
# from a folder named with '/'.
mkdir -p "$work/mod"
head -c 3000 /dev/urandom >"$work/mod/ONE.DAT"
head -c 100 /dev/urandom >"$work/mod/three.dat"
[ "$(id -u)" -ne 0 ] || chown -R winetest: "$work/mod"
check "import replaces one entry and adds another" output_has "imported: 1 replaced, 1 added" import single.img mod/ONE.DAT mod/three.dat
check "the replaced entry holds the new file" eval 'tool extract single.img one.dat -o got >/dev/null 2>&1 && padded_copy mod/ONE.DAT got/one.dat 4096'
check "the added entry is named after the file" output_has "total: 3 entries" list single.img
check "a sound archive checks clean" status_of 0 check single.img
# (wine_run gives stdout and stderr together, with CR stripped: a CR that
# joined the reports would leave them on one line.)
check "progress in a log is whole lines" eval '[ "$(tool add models.img one.dat two.dat)" = "adding 1/2
adding 2/2" ]'

# Damage that check reports: overlapping slots and an entry past the end.
{ printf '\0\0\0\0\2\0\0\0a'; head -c 23 /dev/zero; printf '\1\0\0\0\4\0\0\0b'; head -c 23 /dev/zero; } >"$work/bad.dir"
head -c 4096 /dev/urandom >"$work/bad.img"
head -c 4096 /dev/urandom >"$work/lost.img"
[ "$(id -u)" -ne 0 ] || chown winetest: "$work"/bad.* "$work/lost.img"
check "check finds problems and exits 1" status_of 1 check bad.img
check "check names the overlap" output_has "entry 0 (a) and entry 1 (b) overlap" check bad.img
check "check names the entry past the end" output_has "entry 1 (b): sectors 1-4 reach past the end" check bad.img
check "info warns of a .img without VER2" output_has 'does not begin with "VER2"' info lost.img
check "unknown command exits 2" status_of 2 frobnicate models.img
check "a missing archive exits 3" status_of 3 list nothing.img
check "a missing entry exits 3" status_of 3 extract models.img no-such-entry
check "--help exits 0" status_of 0 --help

# A record of 4 GiB and a sector, as a damaged directory may hold, over a
# sparse .img that costs no disk: refused as "Out of memory", nothing written.
{ printf '\1\0\0\0\1\0\40\0huge'; head -c 20 /dev/zero; } >"$work/huge.dir"
truncate -s $(((1 + 0x200001) * 2048)) "$work/huge.img"
[ "$(id -u)" -ne 0 ] || chown winetest: "$work"/huge.*
check "extracting a record of 4 GiB fails as out of memory" output_has "Out of memory" extract huge.img huge -o big
check "and leaves no file" test ! -e "$work/big/huge"
check "rebuilding around it fails" status_of 1 rebuild huge.img
check "and leaves the archive as it was" size_is huge.img $(((1 + 0x200001) * 2048))
echo "$passed passed, $failed failed"
