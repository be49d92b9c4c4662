#include "platform/text.h"

#include <cstring>

namespace tq {

bool IsLeadByte936(unsigned char c) {
    return c >= 0x81 && c <= 0xFE;
}

std::size_t BoundedCopy(char* dst, std::size_t dstSize, std::string_view src) {
    if (dst == nullptr || dstSize == 0) return 0;
    const std::size_t limit = dstSize - 1;
    std::size_t n = 0;
    while (n < src.size()) {
        const std::size_t width =
            (IsLeadByte936(static_cast<unsigned char>(src[n])) && n + 1 < src.size()) ? 2 : 1;
        if (n + width > limit) break;
        n += width;
    }
    std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
    return n;
}

std::string_view FieldText(const char* field, std::size_t fieldSize) {
    const void* end = std::memchr(field, '\0', fieldSize);
    return std::string_view(field, end ? static_cast<const char*>(end) - field : fieldSize);
}

namespace {
unsigned char FoldLatin(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}
}  // namespace

bool MbsEqualNoCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[j]);
        const bool leadA = IsLeadByte936(ca) && i + 1 < a.size();
        const bool leadB = IsLeadByte936(cb) && j + 1 < b.size();
        if (leadA != leadB) return false;
        if (leadA) {
            if (ca != cb || a[i + 1] != b[j + 1]) return false;
            i += 2;
            j += 2;
        } else {
            if (FoldLatin(ca) != FoldLatin(cb)) return false;
            ++i;
            ++j;
        }
    }
    return i == a.size() && j == b.size();
}

bool IsDeviceName(std::string_view component) {
    std::string_view base = component.substr(0, component.find('.'));
    while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
    for (const char* device : {"con", "prn", "aux", "nul", "conin$", "conout$", "clock$"}) {
        if (MbsEqualNoCase(base, device)) return true;
    }
    if (base.size() != 4) return false;
    const auto digit = static_cast<unsigned char>(base[3]);
    const bool isDigit =
        (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
    return isDigit &&
           (MbsEqualNoCase(base.substr(0, 3), "com") || MbsEqualNoCase(base.substr(0, 3), "lpt"));
}

}  // namespace tq
