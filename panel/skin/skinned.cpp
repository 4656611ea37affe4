#include "skinned.h"

#include <commctrl.h>

#include <memory>
#include <string>

#include "base/failure.h"
#include "base/guarded.h"
#include "base/system_error.h"
#include "line_view.h"
#include "skinned_common.h"

namespace carrow::skin {
namespace {

constexpr UINT_PTR kSkinSubclassId = 0x534B;
// The window property through which a control's skin is found from its handle.
constexpr wchar_t kSkinProperty[] = L"CarrowSkin";

// The window's last message also ends its skin.
template <SUBCLASSPROC Procedure>
LRESULT CALLBACK Owning(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data) {
    if (message != WM_NCDESTROY) return Procedure(hwnd, message, wParam, lParam, id, data);
    const std::unique_ptr<SkinState> state(reinterpret_cast<SkinState*>(data));
    RemovePropW(hwnd, kSkinProperty);
    return Procedure(hwnd, message, wParam, lParam, id, data);
}

SUBCLASSPROC ProcedureOf(Part part) {
    using namespace skinned;
    switch (part) {
        case Part::Button: return GuardedSubclassProc<Owning<ButtonProc>>;
        case Part::Edit: return GuardedSubclassProc<Owning<TextBoxProc>>;
        case Part::List: return GuardedSubclassProc<Owning<ListProc>>;
        case Part::PageControl: return GuardedSubclassProc<Owning<TabProc>>;
        case Part::ComboBox: return GuardedSubclassProc<Owning<ComboProc>>;
        case Part::StatusBar: return GuardedSubclassProc<Owning<StatusProc>>;
        case Part::Page:
        case Part::Panel: return GuardedSubclassProc<Owning<ContainerProc>>;
        case Part::Form: break;
    }
    return nullptr;
}

// The part of a control, by its window class (compared as the system does,
// without case).
Part PartOf(HWND control) {
    struct Kind {
        const wchar_t* windowClass;
        Part part;
    };
    static constexpr Kind kKinds[] = {
        {WC_BUTTONW, Part::Button},         {WC_EDITW, Part::Edit},          {WC_LISTVIEWW, Part::List},
        {WC_TABCONTROLW, Part::PageControl}, {WC_COMBOBOXW, Part::ComboBox}, {STATUSCLASSNAMEW, Part::StatusBar},
        {kPageClass, Part::Page},           {kPanelClass, Part::Panel},      {kLineViewClass, Part::Edit},
    };
    wchar_t name[64] = L"";
    if (!GetClassNameW(control, name, static_cast<int>(std::size(name)))) {
        Fail(L"Cannot attach the skin: the control has no class");
    }
    for (const Kind& kind : kKinds) {
        if (lstrcmpiW(name, kind.windowClass) == 0) return kind.part;
    }
    Fail(L"The skin has no part for controls of class " + std::wstring(name));
}

SkinState& SkinOfControl(HWND control) {
    auto* state = static_cast<SkinState*>(GetPropW(control, kSkinProperty));
    if (!state) Fail(L"The control has no skin");
    return *state;
}

}  // namespace

std::string_view SectionNameOf(Part part) {
    switch (part) {
        case Part::Form: return "FORM";
        case Part::PageControl:
        case Part::Page: return "PAGECONTROL";
        case Part::Panel: return "PANEL";
        case Part::Button: return "BUTTON";
        // A list draws its frame as the text boxes do.
        case Part::Edit:
        case Part::List: return "EDIT";
        case Part::ComboBox: return "COMBOBOX";
        case Part::StatusBar: return "STATUSBAR";
    }
    return "FORM";
}

const Description& CurrentSkin() { return BlueSkin(); }

State StateOf(HWND hwnd, const SkinState& skin, bool pressed) {
    if (!IsWindowEnabled(hwnd)) return State::Disabled;
    if (pressed) return State::Pressed;
    if (GetFocus() == hwnd) return State::Focused;
    if (skin.hot) return State::Hot;
    return State::Normal;
}

void Attach(const Window& control, int dpi) {
    const Part part = PartOf(control.Handle());
    auto state = std::make_unique<SkinState>();
    state->part = part;
    state->section = &SectionNamed(CurrentSkin(), SectionNameOf(part));
    state->dpi = dpi;
    state->font = control.Font();
    state->backgroundBrush = Brush(CreateSolidBrush(state->background));
    if (!state->backgroundBrush) Fail(L"Cannot create the background brush of a control");
    if (!SetWindowSubclass(control.Handle(), ProcedureOf(part), kSkinSubclassId,
                           reinterpret_cast<DWORD_PTR>(state.get()))) {
        Fail(L"Cannot attach the skin to a control");
    }
    SkinState* const owned = state.release();  // the window's now: it goes at WM_NCDESTROY
    if (!SetPropW(control.Handle(), kSkinProperty, owned)) {
        Fail(L"Cannot attach the skin to a control: " + SystemErrorText(GetLastError()));
    }
}

const SkinState* SkinIfAny(HWND control) { return static_cast<const SkinState*>(GetPropW(control, kSkinProperty)); }

Colour TextColourOf(HWND control) { return SkinOfControl(control).text; }

void SetTextColour(HWND control, Colour colour) {
    SkinOfControl(control).text = colour;
    InvalidateRect(control, nullptr, TRUE);
}

}  // namespace carrow::skin
