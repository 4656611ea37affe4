#include "text/text_view.h"

#include <utility>

#include "base/failure.h"
#include "text/code_page_text.h"
#include "text/text_files_rules.h"

namespace carrow {
namespace {

// Stops a box from drawing while it changes; it redraws once when this ends.
class RedrawPause {
public:
    explicit RedrawPause(const Edit& box)
        : box_(box), visible_((GetWindowLongW(box.Handle(), GWL_STYLE) & WS_VISIBLE) != 0) {
        if (visible_) box_.SetRedraw(false);
    }
    RedrawPause(const RedrawPause&) = delete;
    RedrawPause& operator=(const RedrawPause&) = delete;
    ~RedrawPause() {
        if (!visible_) return;
        box_.SetRedraw(true);
        RedrawWindow(box_.Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
    }

private:
    const Edit& box_;
    bool visible_;
};

}  // namespace

void TextView::Attach(const Edit& edit) {
    edit_ = edit;
    known_ = false;
}

std::wstring TextView::Text() const {
    return edit_.Text();
}

int TextView::LineCount() const {
    return Trusted() ? TextLineCount(breaks_, shownText_) : CountTextLines(Text());
}

void TextView::ScrollLines(int lines) const { edit_.ScrollLines(lines); }

bool TextView::Edited() const { return edit_.Modified(); }

// What the box shows was not given by Show, so it is compared afresh next time.
void TextView::MarkSaved() {
    known_ = false;
    edit_.SetModified(false);
}

bool TextView::Trusted() const { return known_ && !edit_.Modified(); }

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
    const Edit& box = edit_;
    if (!box.SetWholeText(text.c_str()) || box.Length() != text.size()) Fail(kTextExceedsMemoCapacity);
    box.EmptyUndoBuffer();
    box.SetModified(false);
}

// Adding at the end spares the box from laying out the lines it already has;
// the box then stands as after a replacement of the whole text: caret at the
// start, view at the first line, nothing to undo.  False when the box did not
// take all of it.
bool TextView::Append(const std::wstring& tail, size_t oldLength) {
    const Edit& box = edit_;
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

}  // namespace carrow
