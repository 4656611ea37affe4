// A small library for driving a Windows program from another process, as a
// user or a screen reader would: start it in a folder, find its windows and
// controls, press buttons, read texts, answer message boxes, take pictures.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace ui {

// A started process; ended (if still running) and released by the owner.
class Process {
public:
    Process() = default;
    explicit Process(const PROCESS_INFORMATION& info) : info_(info) {}
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    ~Process();

    DWORD Id() const { return info_.dwProcessId; }
    DWORD ThreadId() const { return info_.dwThreadId; }
    bool Running() const;
    // Waits for the end; true when it ended within timeoutMs.
    bool WaitForExit(DWORD timeoutMs) const;
    void Kill() const;
    HANDLE Handle() const { return info_.hProcess; }

private:
    PROCESS_INFORMATION info_ = {};
};

// Polls until the condition holds or timeoutMs pass.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs = 50);

// Files and folders, relative to the current folder.
std::wstring FullPath(const std::wstring& path);
bool MakeFolder(const std::wstring& folder);
bool CopyInto(const std::wstring& file, const std::wstring& folder, const std::wstring& newName = L"");
bool WriteTextFile(const std::wstring& path, const std::string& bytes, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
std::string ReadTextFile(const std::wstring& path);

// Starts program (a path) with folder as its current folder, in a show state.
Process Start(const std::wstring& program, const std::wstring& folder, int showCommand = SW_SHOWNORMAL,
              const std::wstring& arguments = L"");
// The exit code of an ended process; STILL_ACTIVE while it runs.
DWORD ExitCodeOf(const Process& process);

// The first top-level window of a process with that class (any class when
// null), visible or not as asked, within timeoutMs.
HWND WaitForTopWindow(DWORD processId, const wchar_t* windowClass, bool visible, DWORD timeoutMs);
std::vector<HWND> TopWindowsOf(DWORD processId);

std::wstring ClassOf(HWND window);
std::wstring TextOf(HWND window);  // WM_GETTEXT
LONG StyleOf(HWND window);

// Direct children of parent in stacking (keyboard) order.
std::vector<HWND> ChildrenOf(HWND parent);
// A descendant with that class and, when text is given, that window text;
// index counts the matches in depth-first stacking order.
HWND FindDescendant(HWND root, const wchar_t* windowClass, const wchar_t* text = nullptr, int index = 0);

// A window's place relative to its parent's client area (screen for top level).
RECT PlaceOf(HWND window);
SIZE ClientSizeOf(HWND window);

// The control that has the keyboard focus in the thread of window.
HWND FocusOf(HWND window);
// Presses a key in the thread that owns window, as a keyboard would post it.
void PostKey(HWND window, WORD key);
// Presses a button without waiting for what the click sets off.
void Click(HWND button);
// A left click at a point of window's client area.
void ClickAt(HWND window, POINT point);

// A message box (#32770) of the process, within timeoutMs; null if none.
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs);
std::wstring MessageBoxText(HWND box);
// The captions of the box's buttons.
std::vector<std::wstring> MessageBoxButtons(HWND box);
// The system icon the box shows, told by its pixels on screen: IDI_HAND,
// IDI_EXCLAMATION, IDI_ASTERISK or IDI_QUESTION; null for none of them.
const wchar_t* MessageBoxIcon(HWND box);
void PressOk(HWND box);

// Sends a message whose parameter points to a buffer of size bytes in the
// target process, initialised with bytes in and read back into out.
LRESULT SendWithBuffer(HWND window, UINT message, WPARAM wParam, void* buffer, SIZE_T size);
// Item rectangle and caption of a tab control's tab.
RECT TabRect(HWND tabs, int index);
std::wstring TabCaption(HWND tabs, int index);

// Running processes whose image file name is name (compared exactly, case
// insensitively).
std::vector<DWORD> ProcessesNamed(const wchar_t* name);
// Ends every process of that image name and waits for each to go.
void EndProcessesNamed(const wchar_t* name);

// Saves what the screen shows of window as a 24-bit BMP file.
bool SaveWindowPicture(HWND window, const std::wstring& path);

}  // namespace ui
