# A C host linked against the shipped tolvane.dll both ways a Windows
# developer links one: MinGW (against tolvane.lib, and against a library made
# from tolvane.def with dlltool) and MSVC-style (clang-cl and lld-link, an
# MSVC-compatible linker, against tolvane.lib).  Each program runs under Wine
# and must import the plain export names.  Sourced by tools/test inside a
# Wine session; prints one line per check and "N passed, N failed".
passed=0 failed=0
check() {  # description, command...
    local what=$1; shift
    if "$@"; then echo "ok - $what"; passed=$((passed + 1)); else echo "FAIL - $what"; failed=$((failed + 1)); fi
}
dist=dist/$WINE_ARCH
mingw=x86_64-w64-mingw32- machine=x64 target=x86_64-pc-windows-msvc
[ "$WINE_ARCH" = win64 ] || mingw=i686-w64-mingw32- machine=x86 target=i686-pc-windows-msvc
llvm=/usr/lib/llvm-14/bin
work=$(mktemp -d)
imports_plain_names() {  # program: it imports IMGGetVersion and IMGFileCount by their plain names
    local names
    names=$(${mingw}objdump -p "$1" | sed -n '/DLL Name: tolvane.dll/,/^$/p' | grep -oE '\bIMG\w+' | sort | tr '\n' ' ')
    [ "$names" = "IMGFileCount IMGGetVersion " ]
}
runs() { wine_stage "$1" && wine_run "$(basename "$1")" >/dev/null; }
linked() {  # how, program, link command...
    local how=$1 program=$2; shift 2
    check "$how: links" "$@"
    check "$how: imports the plain names" imports_plain_names "$program"
    check "$how: runs" runs "$program"
}

linked "MinGW against tolvane.lib" "$work/mingw-lib.exe" \
    ${mingw}gcc -Wall -Werror -I"$dist" tests/host/link_host.c "$dist/tolvane.lib" -o "$work/mingw-lib.exe"
check "dlltool makes an import library of tolvane.def" \
    ${mingw}dlltool -k -d "$dist/tolvane.def" -D tolvane.dll -l "$work/libtolvane.a"
linked "MinGW against tolvane.def" "$work/mingw-def.exe" \
    ${mingw}gcc -Wall -Werror -I"$dist" tests/host/link_host.c -L"$work" -ltolvane -o "$work/mingw-def.exe"
if [ -x "$llvm/clang-cl" ] && [ -x "$llvm/lld-link" ]; then
    # MSVC's default for 32-bit images, safe exception handlers, included.
    linked "MSVC-style against tolvane.lib" "$work/msvc-lib.exe" eval \
        '"$llvm/clang-cl" --target=$target /nologo /c /Zl /GS- -I"$dist" tests/host/link_host.c /Fo"$work/host.obj" &&
         "$llvm/lld-link" /nologo /machine:$machine /nodefaultlib /entry:main /subsystem:console \
            "$work/host.obj" "$dist/tolvane.lib" /out:"$work/msvc-lib.exe"'
else
    echo "SKIP - MSVC-style link: no clang-cl and lld-link in $llvm"
fi
rm -rf "$work"
echo "$passed passed, $failed failed"
