#include "text/code_page_text.h"

#include <climits>

#include "base/failure.h"
#include "base/system_error.h"
#include "text/text_files_rules.h"

namespace carrow {
namespace {

int RunLength(size_t size) {
    if (size > INT_MAX) Fail(kTextExceedsMemoCapacity);
    return static_cast<int>(size);
}

}  // namespace

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
}  // namespace carrow
