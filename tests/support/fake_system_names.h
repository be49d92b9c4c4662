// Names as a Windows system would judge them, for host tests: the shares a test declares, and a
// case folding that, like the system's, folds the full-width Latin letters of code page 936 too
// (ａ and Ａ are one name, Ａ and A are not).
#pragma once

#include <map>
#include <string>

#include "platform/system_names.h"

namespace tq::test {

class FakeSystemNames : public SystemNames {
  public:
    ShareKind FindShare(const std::string& name) override {
        for (const auto& [share, kind] : shares) {
            if (SameName(share, name)) return kind;
        }
        return unknownShares ? ShareKind::Unknown : ShareKind::None;
    }
    bool SameName(std::string_view a, std::string_view b) override {
        return Folded(a) == Folded(b);
    }

    std::map<std::string, ShareKind> shares;
    bool unknownShares = false;

  private:
    static std::string Folded(std::string_view text) {
        std::string out(text);
        for (std::size_t i = 0; i < out.size(); ++i) {
            auto c = static_cast<unsigned char>(out[i]);
            if (c >= 0x81 && c <= 0xFE && i + 1 < out.size()) {
                auto& trail = reinterpret_cast<unsigned char&>(out[i + 1]);
                if (c == 0xA3 && trail >= 0xE1 && trail <= 0xFA) trail -= 0x20;  // ａ-ｚ
                ++i;
            } else if (c >= 'a' && c <= 'z') {
                out[i] = static_cast<char>(c - 'a' + 'A');
            }
        }
        return out;
    }
};

}  // namespace tq::test
