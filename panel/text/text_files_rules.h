// The rules of whole-file text: line breaks and line counts, the zero-byte
// stand-in, how a box is updated, and the failure messages of the box.  Plain functions over strings, shared by the Windows layer
// and the native tests.
#pragma once

#include <string>
#include <string_view>

namespace carrow {

// Every CR LF stays one CR LF; a lone LF and a lone CR each become CR LF.  So
// LF CR and CR CR LF give two breaks each.  Nothing else changes.
std::string NormaliseLineBreaks(std::string_view bytes);

// A text box ends its text at a zero character, so a zero byte of a file is
// shown as this symbol and written back as a zero byte.
inline constexpr wchar_t kZeroByteStandIn = L'\u2400';

// File bytes to the text a box shows.  `decode(run, out)` appends the 8-bit
// run (never holding a zero byte) converted to wide characters.
template <class Decode>
std::wstring BytesToViewText(std::string_view bytes, Decode&& decode) {
    std::wstring out;
    out.reserve(bytes.size());
    for (;;) {
        const auto zero = bytes.find('\0');
        decode(bytes.substr(0, zero), out);
        if (zero == std::string_view::npos) return out;
        out += kZeroByteStandIn;
        bytes.remove_prefix(zero + 1);
    }
}

// The reverse: `encode(run, out)` appends the run (never holding the stand-in)
// as 8-bit bytes.
template <class Encode>
std::string ViewTextToBytes(std::wstring_view text, Encode&& encode) {
    std::string out;
    out.reserve(text.size());
    for (;;) {
        const auto standIn = text.find(kZeroByteStandIn);
        encode(text.substr(0, standIn), out);
        if (standIn == std::wstring_view::npos) return out;
        out += '\0';
        text.remove_prefix(standIn + 1);
    }
}

// Lines of a box's text (breaks are CR LF), not counting a last line that is
// empty: "a\r\nb" and "a\r\nb\r\n" both count 2, an empty text counts 0.
int CountTextLines(std::wstring_view text);

// The same for a text whose breaks were counted already.
int CountLineBreaks(std::wstring_view text);
int TextLineCount(int lineBreaks, std::wstring_view text);

// What a load does to a text box that already shows something.  Keep: the box
// stays exactly as it is.  Append: only the new end goes in, which spares the
// box from laying out the lines it already has.  Replace: the whole text.
enum class BoxUpdate { Keep, Append, Replace };

// Judged by the file's bytes against the bytes the box was last given, while
// the box is trusted to still show them (not edited since).  Append when the
// bytes only grew, cut where neither a CR LF pair nor a two-byte character
// (`isLeadByte` of the last shown byte) can straddle the cut, so that the new
// end converts on its own.  Replace means: convert the whole and judge by text.
template <class IsLeadByte>
BoxUpdate UpdateForBytes(bool trusted, std::string_view shown, std::string_view bytes, IsLeadByte&& isLeadByte) {
    if (!trusted) return BoxUpdate::Replace;
    if (bytes == shown) return BoxUpdate::Keep;
    if (shown.empty() || bytes.size() <= shown.size()) return BoxUpdate::Replace;
    const char last = shown.back();
    return last != '\r' && !isLeadByte(last) && bytes.starts_with(shown) ? BoxUpdate::Append : BoxUpdate::Replace;
}

// Judged by the converted text against the box's current text: equal text is
// kept; text that only grew is appended, but only while the box is trusted
// (an edited box may hold anything before its end).
BoxUpdate UpdateForText(bool trusted, std::wstring_view current, std::wstring_view text);

inline constexpr wchar_t kTextExceedsMemoCapacity[] = L"Text exceeds memo capacity";

}  // namespace carrow
