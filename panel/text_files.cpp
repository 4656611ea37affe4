#include "text_files.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "base/control_handles.h"
#include "base/failure.h"
#include "base/handles.h"
#include "base/system_error.h"
#include "base/window_text.h"
#include "text_files_rules.h"

namespace carrow {
namespace {

// One ReadFile or WriteFile moves at most this much; only larger files loop.
constexpr DWORD kMaxTransfer = 1u << 30;

[[noreturn]] void FailOpen(const wchar_t* fileName, DWORD error) {
    Fail(CannotOpenFileText(FullPathOf(fileName), SystemErrorText(error)));
}

[[noreturn]] void FailCreate(const std::wstring& fullPath, DWORD error) {
    Fail(CannotCreateFileText(fullPath, SystemErrorText(error)));
}

int RunLength(size_t size) {
    if (size > INT_MAX) Fail(kTextExceedsMemoCapacity);
    return static_cast<int>(size);
}

// Stops a box from drawing while it changes; it redraws once when this ends.
class RedrawPause {
public:
    explicit RedrawPause(HWND box)
        : box_(box), visible_((GetWindowLongW(box, GWL_STYLE) & WS_VISIBLE) != 0) {
        if (visible_) EditHandle(box_).SetRedraw(false);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;
    ~RedrawPause() {
        if (!visible_) return;
        EditHandle(box_).SetRedraw(true);
        RedrawWindow(box_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
    }

private:
    HWND box_;
    bool visible_;
};

// The whole file from its start, as many bytes as its size; a file that
// shrank meanwhile gives what was there.
std::string ReadWhole(HANDLE file) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file, &size)) return {};
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kMaxTransfer));
        if (!ReadFile(file, bytes.data() + done, ask, &got, nullptr) || got == 0) break;
        done += got;
    }
    bytes.resize(done);
    return bytes;
}

bool WriteWhole(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD put = 0;
        const DWORD ask = static_cast<DWORD>(std::min<size_t>(bytes.size(), kMaxTransfer));
        if (!WriteFile(file, bytes.data(), ask, &put, nullptr) || put == 0) return false;
        bytes.remove_prefix(put);
    }
    return true;
}

std::wstring FolderOf(const std::wstring& fullPath) {
    const auto slash = fullPath.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : fullPath.substr(0, slash + 1);
}

// A scratch file beside the target, deleted unless it took the target's place.
class TempFile {
public:
    TempFile(const std::wstring& folder, const std::wstring& target) {
        wchar_t name[MAX_PATH];
        if (!GetTempFileNameW(folder.c_str(), L"crw", 0, name)) FailCreate(target, GetLastError());
        path_ = name;
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }

    const std::wstring& Path() const { return path_; }
    void Kept() { path_.clear(); }

private:
    std::wstring path_;
};

// Attributes the new file takes over from the one it replaces.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

void WriteTemp(const TempFile& temp, const std::wstring& target, DWORD attributes,
               std::string_view bytes) {
    {
        UniqueHandle file(CreateFileW(temp.Path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) FailCreate(target, GetLastError());
        if (!WriteWhole(file.Get(), bytes) || !FlushFileBuffers(file.Get())) Fail(kStreamWriteError);
    }
    if (attributes && !SetFileAttributesW(temp.Path().c_str(), attributes)) {
        FailCreate(target, GetLastError());
    }
}

// Writes the bytes beside the target and moves them over it.  The target is
// held without sharing meanwhile, so a file that someone else holds open, or
// that may not be written, fails before anything changes.
void ReplaceContents(const std::wstring& target, std::string_view bytes) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // The move would replace a read-only file on some systems; Windows refuses it.
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        FailCreate(target, ERROR_ACCESS_DENIED);
    }
    UniqueHandle hold;
    if (exists) {
        hold = UniqueHandle(CreateFileW(target.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!hold) FailCreate(target, GetLastError());
    }
    TempFile temp(FolderOf(target), target);
    WriteTemp(temp, target, exists ? attributes & kKeptAttributes : 0, bytes);
    hold = UniqueHandle();
    if (!MoveFileExW(temp.Path().c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        FailCreate(target, GetLastError());
    }
    temp.Kept();
}

}  // namespace

std::wstring FullPathOf(const wchar_t* fileName) {
    const DWORD need = GetFullPathNameW(fileName, 0, nullptr, nullptr);
    if (need == 0) return fileName;
    std::wstring path(need, L'\0');
    const DWORD got = GetFullPathNameW(fileName, need, path.data(), nullptr);
    if (got == 0 || got >= need) return fileName;
    path.resize(got);
    return path;
}

std::wstring AnsiToViewText(std::string_view bytes, UINT codePage) {
    return BytesToViewText(bytes, [codePage](std::string_view run, std::wstring& out) {
        if (run.empty()) return;
        const int length = RunLength(run.size());
        const int need = MultiByteToWideChar(codePage, 0, run.data(), length, nullptr, 0);
        const size_t at = out.size();
        if (need > 0) out.resize(at + need);
        if (need <= 0 || MultiByteToWideChar(codePage, 0, run.data(), length, out.data() + at, need) != need) {
            Fail(L"Cannot convert the text: " + SystemErrorText(GetLastError()));
        }
    });
}

std::string ViewTextToAnsi(std::wstring_view text, UINT codePage) {
    return ViewTextToBytes(text, [codePage](std::wstring_view run, std::string& out) {
        if (run.empty()) return;
        const int length = RunLength(run.size());
        const int need =
            WideCharToMultiByte(codePage, 0, run.data(), length, nullptr, 0, nullptr, nullptr);
        const size_t at = out.size();
        if (need > 0) out.resize(at + need);
        if (need <= 0 ||
            WideCharToMultiByte(codePage, 0, run.data(), length, out.data() + at, need, nullptr, nullptr) != need) {
            Fail(L"Cannot convert the text: " + SystemErrorText(GetLastError()));
        }
    });
}

void TextView::Attach(HWND edit) {
    edit_ = edit;
    known_ = false;
}

std::wstring TextView::Text() const {
    return WindowText(edit_);
}

int TextView::LineCount() const {
    return Trusted() ? TextLineCount(breaks_, shownText_) : CountTextLines(Text());
}

void TextView::ScrollLines(int lines) const { EditHandle(edit_).ScrollLines(lines); }

bool TextView::Trusted() const { return known_ && !EditHandle(edit_).Modified(); }

void TextView::Show(std::string bytes) {
    const auto isLeadByte = [](char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE; };
    switch (UpdateForBytes(Trusted(), shownBytes_, bytes, isLeadByte)) {
    case BoxUpdate::Keep:
        return;
    case BoxUpdate::Append:
        ShowGrowth(std::move(bytes));
        return;
    case BoxUpdate::Replace:
        ShowWhole(std::move(bytes));
        return;
    }
}

// Only the new end is converted: a line break never straddles the cut.
void TextView::ShowGrowth(std::string bytes) {
    const std::wstring tail =
        AnsiToViewText(NormaliseLineBreaks(std::string_view(bytes).substr(shownBytes_.size())));
    const size_t oldLength = shownText_.size();
    std::wstring text = std::move(shownText_);
    text += tail;
    known_ = false;
    {
        RedrawPause pause(edit_);
        if (!Append(tail, oldLength)) SetWholeText(text);
    }
    breaks_ += CountLineBreaks(tail);
    shownBytes_ = std::move(bytes);
    shownText_ = std::move(text);
    known_ = true;
}

void TextView::ShowWhole(std::string bytes) {
    std::wstring text = AnsiToViewText(NormaliseLineBreaks(bytes));
    const BoxUpdate update = Trusted() ? UpdateForText(true, shownText_, text) : UpdateForText(false, Text(), text);
    if (update != BoxUpdate::Keep) {
        RedrawPause pause(edit_);
        const size_t oldLength = shownText_.size();
        known_ = false;
        if (update != BoxUpdate::Append || !Append(text.substr(oldLength), oldLength)) SetWholeText(text);
    }
    Remember(std::move(bytes), std::move(text));
}

void TextView::SetWholeText(const std::wstring& text) {
    const EditHandle box(edit_);
    if (!box.SetWholeText(text.c_str()) || box.Length() != text.size()) Fail(kTextExceedsMemoCapacity);
    box.EmptyUndoBuffer();
    box.SetModified(false);
}

// Adding at the end spares the box from laying out the lines it already has;
// the box then stands as after a replacement of the whole text: caret at the
// start, view at the first line, nothing to undo.  False when the box did not
// take all of it.
bool TextView::Append(const std::wstring& tail, size_t oldLength) {
    const EditHandle box(edit_);
    box.Select(oldLength, oldLength);
    box.ReplaceSelection(tail.c_str());
    box.Select(0, 0);
    box.ScrollCaret();
    box.EmptyUndoBuffer();
    box.SetModified(false);
    return box.Length() == oldLength + tail.size();
}

void TextView::Remember(std::string bytes, std::wstring text) {
    breaks_ = CountLineBreaks(text);
    shownBytes_ = std::move(bytes);
    shownText_ = std::move(text);
    known_ = true;
}

void LoadTextFile(TextView& view, const wchar_t* fileName) {
    UniqueHandle file(CreateFileW(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) FailOpen(fileName, GetLastError());
    // The box is kept from drawing only while its text changes.
    view.Show(ReadWhole(file.Get()));
}

void SaveTextFile(const TextView& view, const wchar_t* fileName) {
    const std::wstring target = FullPathOf(fileName);
    ReplaceContents(target, ViewTextToAnsi(view.Text()));
}

}  // namespace carrow
