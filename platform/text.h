// Strings in the system code page (936 for this product: GBK, a superset of GB2312).
// Fixed-size fields are limits of the product's records; copies into them are always bounded.
#pragma once

#include <cstddef>
#include <string_view>

namespace tq {

// True for a byte that starts a double-byte character in code page 936.
bool IsLeadByte936(unsigned char c);

// Copies src into dst[dstSize] and always NUL-terminates (dstSize > 0). A text that does not fit
// is cut at a character boundary, never between the two bytes of a double-byte character.
// Returns the number of bytes copied (without the NUL).
std::size_t BoundedCopy(char* dst, std::size_t dstSize, std::string_view src);

template <std::size_t N>
std::size_t BoundedCopy(char (&dst)[N], std::string_view src) {
    static_assert(N > 0);
    return BoundedCopy(dst, N, src);
}

// Length of a NUL-terminated text held in a fixed field, never reading past the field.
std::string_view FieldText(const char* field, std::size_t fieldSize);

template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
    return FieldText(field, N);
}

// A path component that Windows opens as a device in any folder and with any extension: the
// part before the first dot, trailing blanks ignored, in any letter case, is CON, PRN, AUX, NUL,
// CONIN$, CONOUT$, CLOCK$, COM1-COM9 or LPT1-LPT9 (also with the superscript digits of code page
// 1252, which Windows takes as digits there).
bool IsDeviceName(std::string_view component);

// Multibyte case-insensitive equality: Latin letters fold, a double-byte character of code
// page 936 compares as a whole unit, so a trail byte that looks like a Latin letter never folds.
bool MbsEqualNoCase(std::string_view a, std::string_view b);

}  // namespace tq
