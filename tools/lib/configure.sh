# CMake configuration of the build trees, for tools/build and tools/package.
# Source it from the project's root.

configure() {  # build-dir, extra cmake arguments...
    local dir=$1; shift
    # Every run: a changed flag reaches an existing tree (cheap when nothing changed).
    cmake -S . -B "$dir" -G Ninja -Wno-dev --no-warn-unused-cli "$@" >/dev/null
}

configure_windows() {  # build-dir, win32|win64: a release build with MinGW-w64
    local toolchain=cmake/mingw-x86_64.cmake
    [ "$2" = win64 ] || toolchain=cmake/mingw-i686.cmake
    configure "$1" -DCMAKE_BUILD_TYPE=Release -DCMAKE_COMPILE_WARNING_AS_ERROR=ON -DCMAKE_TOOLCHAIN_FILE=$toolchain
}
