// What the error report shows: the message completed as a sentence, under a
// title formed from the program file's name.  Plain text rules, no windows.
#pragma once

#include <functional>
#include <string>

namespace carrow {

// The message with a final "." unless it is empty or already ends in a
// character whose code is not above that of "." (so ".", "!", ")", "," and a
// blank stay as they are, while a letter, a digit or "?" get a ".").
std::wstring ReportText(const std::wstring& message);

// Turns a text to lower case by the system's rules.
using LowerCase = std::function<std::wstring(const std::wstring&)>;

// The application title for a program file path: the name without its folder
// (up to and including the last "\"), cut before its first ".", every
// character after the first turned to lower case.
// "D:\Servers\PANEL.EXE" gives "Panel", "srv.panel.exe" gives "srv".
std::wstring ApplicationTitle(const std::wstring& programPath, const LowerCase& lower);

}  // namespace carrow
