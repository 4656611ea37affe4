// A minimal check harness for Windows test hosts: prints one line per check
// and a closing "N passed, N failed" line for the test runner.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace host {

inline int passed = 0;
inline int failed = 0;

inline void Check(bool ok, const std::string& what) {
    std::printf("%s - %s\n", ok ? "ok" : "FAIL", what.c_str());
    (ok ? passed : failed)++;
}

// A check that could not run here, named so that the run says so.
inline void Skip(const std::string& what, const std::string& reason) {
    std::printf("SKIP - %s (%s)\n", what.c_str(), reason.c_str());
}

inline int Finish() {
    std::printf("%d passed, %d failed\n", passed, failed);
    std::fflush(stdout);
    return failed ? 1 : 0;
}

using Bytes = std::vector<unsigned char>;

inline bool WriteBytes(const std::string& path, const Bytes& bytes) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD put = 0;
    const BOOL ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(h);
    return ok && put == bytes.size();
}

// Resolves an export by name and checks that its ordinal leads to the same code.
template <class Fn>
Fn Resolve(HMODULE dll, const char* name, WORD ordinal) {
    FARPROC byName = GetProcAddress(dll, name);
    FARPROC byOrdinal = GetProcAddress(dll, MAKEINTRESOURCEA(ordinal));
    Check(byName != nullptr, std::string("export ") + name + " by name");
    Check(byName != nullptr && byName == byOrdinal,
          std::string("export ") + name + " at ordinal " + std::to_string(ordinal));
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(byName));
}

}  // namespace host
