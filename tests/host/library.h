// tolvane.dll loaded by name, with every export resolved by name and checked
// against its ordinal, as an outside host would bind to it.
#pragma once

#include "host_check.h"
#include "tolvane.h"

namespace host {

struct Library {
    decltype(&IMGLoadImg) LoadImg;
    decltype(&IMGFileCount) FileCount;
    decltype(&IMGGetThisFile) GetThisFile;
    decltype(&IMGSetThisFile) SetThisFile;
    decltype(&IMGGetFileName) GetFileName;
    decltype(&IMGExportFile) ExportFile;
    decltype(&IMGExportBuffer) ExportBuffer;
    decltype(&IMGReplaceFile) ReplaceFile;
    decltype(&IMGAddFile) AddFile;
    decltype(&IMGReDoDir) ReDoDir;
    decltype(&IMGRemoveFile) RemoveFile;
    decltype(&IMGDelete) Delete;
    decltype(&IMGHowMuchFragmented) HowMuchFragmented;
    decltype(&IMGDefrag) Defrag;
    decltype(&IMGGetLastError) GetLastError;
    decltype(&IMGSetRaiseOnError) SetRaiseOnError;
    decltype(&IMGGetVersion) GetVersion;
};

inline Library ResolveAll(HMODULE dll) {
    Library lib;
    lib.LoadImg = Resolve<decltype(lib.LoadImg)>(dll, "IMGLoadImg", 14);
    lib.FileCount = Resolve<decltype(lib.FileCount)>(dll, "IMGFileCount", 4);
    lib.SetThisFile = Resolve<decltype(lib.SetThisFile)>(dll, "IMGSetThisFile", 5);
    lib.GetThisFile = Resolve<decltype(lib.GetThisFile)>(dll, "IMGGetThisFile", 6);
    lib.GetFileName = Resolve<decltype(lib.GetFileName)>(dll, "IMGGetFileName", 7);
    lib.ExportFile = Resolve<decltype(lib.ExportFile)>(dll, "IMGExportFile", 13);
    lib.ExportBuffer = Resolve<decltype(lib.ExportBuffer)>(dll, "IMGExportBuffer", 1);
    lib.ReplaceFile = Resolve<decltype(lib.ReplaceFile)>(dll, "IMGReplaceFile", 12);
    lib.AddFile = Resolve<decltype(lib.AddFile)>(dll, "IMGAddFile", 11);
    lib.ReDoDir = Resolve<decltype(lib.ReDoDir)>(dll, "IMGReDoDir", 10);
    lib.RemoveFile = Resolve<decltype(lib.RemoveFile)>(dll, "IMGRemoveFile", 9);
    lib.Delete = Resolve<decltype(lib.Delete)>(dll, "IMGDelete", 8);
    lib.HowMuchFragmented = Resolve<decltype(lib.HowMuchFragmented)>(dll, "IMGHowMuchFragmented", 3);
    lib.Defrag = Resolve<decltype(lib.Defrag)>(dll, "IMGDefrag", 2);
    lib.GetLastError = Resolve<decltype(lib.GetLastError)>(dll, "IMGGetLastError", 15);
    lib.SetRaiseOnError = Resolve<decltype(lib.SetRaiseOnError)>(dll, "IMGSetRaiseOnError", 16);
    lib.GetVersion = Resolve<decltype(lib.GetVersion)>(dll, "IMGGetVersion", 17);
    return lib;
}

// Loads tolvane.dll by name as an outside host does, resolves every export
// and runs the host's checks with them; returns the host's exit code.
template <class Checks>
int RunWithLibrary(Checks&& checks) {
    HMODULE dll = LoadLibraryA("tolvane.dll");
    Check(dll != nullptr, "tolvane.dll loads by name");
    if (dll) checks(ResolveAll(dll));
    return Finish();
}

}  // namespace host
