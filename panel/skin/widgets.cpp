#include "controls.h"

#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "base/failure.h"
#include "base/guarded.h"
#include "reflect.h"
#include "skinned.h"
#include "base/system_error.h"
#include "base/window_text.h"

namespace carrow::skin {
namespace {

constexpr wchar_t kPanelClass[] = L"TsPanel";
constexpr wchar_t kPageClass[] = L"TsTabSheet";

LRESULT CALLBACK ContainerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ReflectToChild(hwnd, message, wParam, lParam, result)) return result;
    if (message == WM_COMMAND && lParam) {
        // Commands of the controls are the window's events.
        return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void RegisterContainerClass(const wchar_t* name) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(GetModuleHandleW(nullptr), name, &wc)) return;
    wc.lpfnWndProc = GuardedWindowProc<ContainerProc>;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc)) Fail(L"Cannot register window class: " + SystemErrorText(GetLastError()));
}

RECT PlaceInParent(HWND window) {
    RECT place;
    GetWindowRect(window, &place);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

}  // namespace

std::string_view SectionNameOf(Part part) {
    switch (part) {
        case Part::Form: return "FORM";
        case Part::PageControl:
        case Part::Page: return "PAGECONTROL";
        case Part::Panel: return "PANEL";
        case Part::Button: return "BUTTON";
        case Part::Edit: return "EDIT";
        case Part::ComboBox: return "COMBOBOX";
        case Part::StatusBar: return "STATUSBAR";
    }
    return "FORM";
}

const Description& CurrentSkin() { return BlueSkin(); }

SkinState::~SkinState() {
    if (backgroundBrush) DeleteObject(backgroundBrush);
}

void SkinState::SetBackground(Colour colour) {
    background = colour;
    if (backgroundBrush) DeleteObject(backgroundBrush);
    backgroundBrush = CreateSolidBrush(colour);
}

bool ReflectToChild(HWND container, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND child = nullptr;
    switch (message) {
        case WM_DRAWITEM: child = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)->hwndItem; break;
        case WM_MEASUREITEM: child = GetDlgItem(container, static_cast<int>(wParam)); break;
        case WM_NOTIFY: child = reinterpret_cast<const NMHDR*>(lParam)->hwndFrom; break;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN: child = reinterpret_cast<HWND>(lParam); break;
        default: return false;
    }
    // A message from a window that is not a child of the container (a combo
    // box's own list, say) goes back to that window as well.
    result = child ? SendMessageW(child, Reflected(message), wParam, lParam) : 0;
    if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORSTATIC || message == WM_CTLCOLORLISTBOX ||
        message == WM_CTLCOLORBTN) {
        if (!result) result = DefWindowProcW(container, message, wParam, lParam);
    }
    return true;
}

std::wstring Control::Text() const {
    return WindowText(hwnd_);
}

void Control::SetText(const std::wstring& text) const {
    if (!SetWindowTextW(hwnd_, text.c_str())) Fail(L"Cannot set the text: " + SystemErrorText(GetLastError()));
}

void Control::Place(const Rect& place) const {
    const RECT now = PlaceInParent(hwnd_);
    if (now.left == place.left && now.top == place.top && now.right - now.left == place.width &&
        now.bottom - now.top == place.height) {
        return;
    }
    SetWindowPos(hwnd_, nullptr, place.left, place.top, place.width, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void Control::CreateControl(const wchar_t* windowClass, DWORD style, DWORD exStyle, const CreateArgs& args,
                            Part part) {
    style |= WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | (args.tabStop ? WS_TABSTOP : 0);
    hwnd_ = CreateWindowExW(exStyle, windowClass, args.text.c_str(), style, args.place.left, args.place.top,
                            args.place.width, args.place.height, args.parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(args.id)), GetModuleHandleW(nullptr),
                            nullptr);
    if (!hwnd_) Fail(L"Cannot create a control of class " + std::wstring(windowClass) + L": " +
                     SystemErrorText(GetLastError()));
    skin_ = std::make_unique<SkinState>();
    skin_->part = part;
    skin_->section = &SectionNamed(CurrentSkin(), SectionNameOf(part));
    skin_->dpi = args.dpi;
    skin_->font = args.font;
    skin_->SetBackground(kWhite);
    ControlHandle(hwnd_).SetFont(args.font);
    AttachSkin(hwnd_, skin_.get());
}

void Button::Create(const CreateArgs& args) {
    // Owner-drawn so that the skin draws every state; BM_CLICK and the
    // caption as window text work as for any push button.
    CreateControl(WC_BUTTONW, BS_OWNERDRAW, 0, args, Part::Button);
}

void Memo::Create(const CreateArgs& args, Options options) {
    DWORD style = ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_BORDER;
    if (options.verticalScrollBar) style |= WS_VSCROLL;
    if (!options.wordWrap) style |= ES_AUTOHSCROLL;
    CreateControl(WC_EDITW, style, 0, args, Part::Edit);
    EditHandle(hwnd_).SetLimit(0);  // no length limit beyond what memory holds
}

void Memo::SetTextColour(Colour colour) const {
    skin_->text = colour;
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void TabControl::Create(const CreateArgs& args) {
    CreateControl(WC_TABCONTROLW, TCS_FOCUSNEVER | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, args, Part::PageControl);
    const int height = ScaleToDpi(skin_->section->extent, args.dpi);
    Send(TCM_SETPADDING, 0, MAKELPARAM(ScaleToDpi(8, args.dpi), ScaleToDpi(3, args.dpi)));
    Send(TCM_SETITEMSIZE, 0, MAKELPARAM(0, height));
}

void TabControl::AddTab(const std::wstring& caption) const {
    std::wstring text = caption;
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    const int count = TabHandle(hwnd_).Count();
    if (Send(TCM_INSERTITEMW, count, reinterpret_cast<LPARAM>(&item)) < 0) Fail(L"Cannot add the page " + caption);
}

void ComboBox::Create(const CreateArgs& args) {
    CreateArgs withList = args;
    listHeight_ = args.place.height * 10;
    withList.place.height = listHeight_;
    CreateControl(WC_COMBOBOXW, CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL, 0, withList,
                  Part::ComboBox);
    // The closed box is as high as the layout says.  How the field height
    // turns into the box's height is the platform's, so measure and correct.
    int field = static_cast<int>(Send(CB_GETITEMHEIGHT, static_cast<WPARAM>(-1)));
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT closed;
        GetWindowRect(hwnd_, &closed);
        const int excess = (closed.bottom - closed.top) - args.place.height;
        if (excess == 0) break;
        field = std::max(field - excess, 1);
        Send(CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    Send(CB_SETITEMHEIGHT, 0, ScaleToDpi(18, args.dpi));
}

void ComboBox::Place(const Rect& place) const {
    const RECT now = PlaceInParent(hwnd_);
    if (now.left == place.left && now.top == place.top && now.right - now.left == place.width) return;
    SetWindowPos(hwnd_, nullptr, place.left, place.top, place.width, listHeight_,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

void StatusBar::Create(const CreateArgs& args) {
    // Placed by the window like any aligned control, so it keeps the height
    // of the layout; the skin draws it and its size grip.
    CreateControl(STATUSCLASSNAMEW, SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN | CCS_NODIVIDER, 0, args,
                  Part::StatusBar);
    Send(SB_SIMPLE, TRUE);
}

void Container::Create(const CreateArgs& args, Part part) {
    const wchar_t* windowClass = part == Part::Page ? kPageClass : kPanelClass;
    RegisterContainerClass(windowClass);
    CreateControl(windowClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, args, part);
}

}  // namespace carrow::skin
