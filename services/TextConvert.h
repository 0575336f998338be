#pragma once
// Conversions between UTF-8, the ANSI code page and the program's wide text. Each stops at the first NUL
// of its input. Invalid UTF-8 and characters the code page lacks are converted as the system converts
// them without flags (a replacement or default character); nothing is reported.

#include <string>

#include "framework/String.h"

CString Utf8ToCString(const std::string& utf8);

// Wide text to the process's ANSI code page (CP_ACP).
std::string CStringToAnsi(const CString& text);
