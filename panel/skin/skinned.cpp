#include "skinned.h"

#include <commctrl.h>

#include "base/failure.h"
#include "base/guarded.h"
#include "skinned_common.h"

namespace carrow::skin {
namespace {

constexpr UINT_PTR kSkinSubclassId = 0x534B;

SUBCLASSPROC ProcedureOf(Part part) {
    using namespace skinned;
    switch (part) {
        case Part::Button: return GuardedSubclassProc<ButtonProc>;
        case Part::Edit: return GuardedSubclassProc<TextBoxProc>;
        case Part::PageControl: return GuardedSubclassProc<TabProc>;
        case Part::ComboBox: return GuardedSubclassProc<ComboProc>;
        case Part::StatusBar: return GuardedSubclassProc<StatusProc>;
        case Part::Page:
        case Part::Panel: return GuardedSubclassProc<ContainerProc>;
        case Part::Form: break;
    }
    return nullptr;
}

}  // namespace

State StateOf(HWND hwnd, const SkinState& skin, bool pressed) {
    if (!IsWindowEnabled(hwnd)) return State::Disabled;
    if (pressed) return State::Pressed;
    if (GetFocus() == hwnd) return State::Focused;
    if (skin.hot) return State::Hot;
    return State::Normal;
}

void AttachSkin(HWND hwnd, SkinState* state) {
    const SUBCLASSPROC procedure = ProcedureOf(state->part);
    if (!procedure) return;
    if (!SetWindowSubclass(hwnd, procedure, kSkinSubclassId, reinterpret_cast<DWORD_PTR>(state))) {
        Fail(L"Cannot attach the skin to a control");
    }
}

}  // namespace carrow::skin
