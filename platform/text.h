#pragma once
// Text helpers. Internal text is UTF-8; INI and RTF files are code page 1251.

#include <string>
#include <string_view>

namespace plat {

// UTF-8 to code page 1251. A character 1251 cannot hold becomes '?', and so
// does each byte of a malformed UTF-8 sequence.
std::string Utf8ToCp1251(std::string_view utf8);
// Code page 1251 to UTF-8. Every byte has a mapping, so this never loses text.
std::string Cp1251ToUtf8(std::string_view cp1251);
// True when the bytes are well-formed UTF-8 (ASCII included).
bool IsValidUtf8(std::string_view s);
// True when every character of the UTF-8 text has a 1251 byte.
bool FitsCp1251(std::string_view utf8);

// Case-insensitive comparison of UTF-8 texts that folds Latin and Cyrillic
// letters (Ё/ё included), as the ANSI comparison of the Windows Cyrillic
// locale does. Returns <0, 0, >0.
int CompareNoCase(std::string_view a, std::string_view b);
inline bool EqualNoCase(std::string_view a, std::string_view b) {
    return CompareNoCase(a, b) == 0;
}
// Lower-case form used by the comparison (for keys of case-insensitive maps).
std::string FoldCase(std::string_view s);

// Blanks (space, tab, CR, LF) removed at both ends.
std::string_view Trim(std::string_view s);

// Decodes one UTF-8 character at s[i], advancing i; malformed input yields
// U+FFFD and advances one byte.
char32_t DecodeUtf8(std::string_view s, size_t& i);
void AppendUtf8(std::string& out, char32_t c);

}  // namespace plat
