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
head -c 200 /dev/urandom >"$work/mod/four.dat"
[ "$(id -u)" -ne 0 ] || chown -R winetest: "$work/mod"
check "import replaces one entry and adds another" output_has "imported: 1 replaced, 1 added" import single.img mod/ONE.DAT mod/three.dat
check "the replaced entry holds the new file" eval 'tool extract single.img one.dat -o got >/dev/null 2>&1 && padded_copy mod/ONE.DAT got/one.dat 4096'
check "the added entry is named after the file" output_has "total: 3 entries" list single.img
check "a sound archive checks clean" status_of 0 check single.img
# (wine_run gives stdout and stderr together, with CR stripped: a CR that
# joined the reports would leave them on one line.)
check "progress in a log is whole lines, the summary after it" eval '[ "$(tool add models.img mod/three.dat mod/four.dat)" = "adding 1/2
adding 2/2
added: 2 entries" ]'

# Damage that check reports: overlapping slots and an entry past the end.
{ printf '\0\0\0\0\2\0\0\0a'; head -c 23 /dev/zero; printf '\1\0\0\0\4\0\0\0b'; head -c 23 /dev/zero; } >"$work/bad.dir"
head -c 4096 /dev/urandom >"$work/bad.img"
head -c 4096 /dev/urandom >"$work/lost.img"
[ "$(id -u)" -ne 0 ] || chown winetest: "$work"/bad.* "$work/lost.img"
check "check finds problems and exits 1" status_of 1 check bad.img
check "check names the overlap" output_has "entry 0 (a) and entry 1 (b) overlap" check bad.img
check "check names the entry past the end" output_has "entry 1 (b): sectors 1-4 reach past the end" check bad.img
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

# What people met, tried again in a Russian locale (Windows code pages 1251
# and 866).  Each try shows its output in the log.
mkdir -p "$WINE_ROOT/locale"
localedef -i ru_RU -f UTF-8 "$WINE_ROOT/locale/ru_RU.UTF-8" >/dev/null && chmod -R a+rX "$WINE_ROOT/locale"
WINE_LANG=ru_RU.UTF-8 WINE_LOCPATH=$WINE_ROOT/locale
# Into a pipe the tool writes the ANSI code page; on a console, UTF-16 (which
# the terminal gets as UTF-8).
wine_run_1251() { wine_run "$@" | iconv -f CP1251 -t UTF-8; return "${PIPESTATUS[0]}"; }
run() {  # how, program, arguments...: runs a try and shows it
    local how=$1; shift
    said=$($how "$@" 2>&1); status=$?
    printf '  > %s\n%s\n  (exit %d)\n' "$*" "$(sed 's/^/    /' <<<"$said")" "$status"
}
try() { run wine_run_1251 imgtool.exe "$@"; }
said() { grep -qF -- "$1" <<<"$said"; }
exited() { [ "$status" -eq "$1" ]; }
owned() { [ "$(id -u)" -ne 0 ] || chown -R winetest: "$@"; }

echo "1. import of 49 files into an empty archive"
mkdir -p "$work/mods49"
for i in $(seq -w 1 44); do echo "$i" >"$work/mods49/m$i.dff"; done
long=vehicle_texture_pack_ab  # 23 bytes, then 11 more
for name in CASE.dff case.dff ${long}_first.txd ${long}_other.txd name_of_twenty_four_1.ab; do
    echo "$name" >"$work/mods49/$name"
done
owned "$work/mods49"
tool create new.img >/dev/null
try import new.img 'mods49\*'
check "import refuses two names that differ in case" said "mods49\CASE.dff and mods49\case.dff would go into one entry"
check "and a name of 24 bytes, named" said "name too long: mods49\name_of_twenty_four_1.ab (24 bytes"
check "nothing imported, exit 1" eval 'exited 1 && said "nothing imported: 5 problems" && size_is new.img 8'
try import new.img 'mods49\*' --cut-names
check "cut names that meet are still refused" eval 'exited 1 && said "${long}_first.txd and mods49\\${long}_other.txd would go into one entry (${long})"'
rm "$work/mods49/case.dff" "$work/mods49/${long}_other.txd"
try import new.img 'mods49\*' --cut-names
check "without them: 47 added" said "imported: 0 replaced, 47 added"

echo "2. Cyrillic names of one letter case and another"
printf 'new' >"$work/МАШИНА.dff"; printf 'old' >"$work/машина.dff"; owned "$work"/*.dff
tool create ru.img >/dev/null && tool add ru.img машина.dff >/dev/null
try import ru.img МАШИНА.dff
check "import replaces машина.dff" eval 'said "imported: 1 replaced, 0 added" && output_has "total: 1 entries" list ru.img'
{ printf '\0\0\0\0\1\0\0\0\354\340\370.dff'; head -c 17 /dev/zero
  printf '\1\0\0\0\1\0\0\0\314\300\330.dff'; head -c 17 /dev/zero; } >"$work/twice.dir"
head -c 4096 /dev/urandom >"$work/twice.img"; owned "$work"/twice.*
try extract-all twice.img -o twice
check "extract-all writes both, the second numbered" eval 'said "entry 1 (МАШ.dff) written as МАШ (2).dff" && cmp -s -n 2048 -i 2048:0 "$work/twice.img" "$work/twice/МАШ (2).dff"'
try check twice.img
check "check reports the two entries of one name" eval 'exited 1 && said "entry 1 (МАШ.dff) has the name of entry 0 (маш.dff)"'

echo "3. reading commands and the archive's attributes"
wine_run cmd /c attrib +r twice.img >/dev/null; wine_run cmd /c attrib +h twice.dir >/dev/null
before=$(wine_run cmd /c attrib 'twice.*'; sha1sum "$work"/twice.*)
for command in list info check 'extract 1 -o again'; do tool $command twice.img >/dev/null 2>&1; done
after=$(wine_run cmd /c attrib 'twice.*'; sha1sum "$work"/twice.*)
printf '%s\n' "$after" | sed 's/^/    /'
check "list, info, check, extract leave bytes and attributes" eval '[ "$before" = "$after" ] && grep -q "R.*twice.img" <<<"$after"'

echo "4. info on a file that is not an archive"
try info lost.img
check "says so and exits 1" eval 'exited 1 && said "not an archive: lost.img does not begin with \"VER2\"" && ! said "entries:"'

echo "5. wildcards from cmd"
run wine_run_1251 cmd /c 'imgtool.exe import models.img mods49\m0*.dff'
check "cmd passes them on, imgtool expands them" said "imported: 0 replaced, 9 added"

echo "6. names on a console, progress and summary"
printf 'ёж' >"$work/ТЕКСТУРА_ЁЖ.txd"; owned "$work/ТЕКСТУРА_ЁЖ.txd"; tool add ru.img ТЕКСТУРА_ЁЖ.txd >/dev/null
run wine_run_console imgtool.exe list ru.img
check "a console shows the Cyrillic names" eval 'said "машина.dff" && said "ТЕКСТУРА_ЁЖ.txd"'
try extract ru.img текстура_ёж.txd -o ru
check "extract finds a name in another case" eval 'exited 0 && [ -f "$work/ru/ТЕКСТУРА_ЁЖ.txd" ]'
run wine_run_console imgtool.exe import ru.img ТЕКСТУРА_ЁЖ.txd
check "the progress line ends before the summary" eval 'grep -qx "imported: 1 replaced, 0 added" <<<"$said"'

echo "7. add, replace, delete, --version, --help"
mkdir -p "$work/folder.dff"; owned "$work/folder.dff"
try add ru.img two.dat missing.dff folder.dff
check "add of a missing file and a folder adds nothing" eval 'exited 3 && said "not a file: folder.dff" && output_has "total: 2 entries" list ru.img'
try replace ru.img 0 one.dat
check "replace says what it did" said "replaced: entry 0 (машина.dff), now 3 sectors"
try delete ru.img 0
check "so does delete" said "deleted: 1 entry, 1 entry left"
try --version
check "--version" said "imgtool 1.1.0, library 1.1.0"
check "help within 80 columns" eval '[ "$(tool --help | wc -L)" -lt 80 ]'
echo "$passed passed, $failed failed"
