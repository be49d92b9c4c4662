#include "platform/wininit.h"

#include <gtest/gtest.h>

namespace tq {
namespace {

TEST(WinInit, ADeletionGoesUnderTheRenameSectionWhateverElseTheFileHolds) {
    const struct {
        const char* ini;
        const char* expected;
    } cases[] = {
        {"", "[rename]\r\nNUL=C:\\PROGRA~1\\T824UIS.EXE\r\n"},
        {"[other]\r\nA=1", "[other]\r\nA=1\r\n[rename]\r\nNUL=C:\\PROGRA~1\\T824UIS.EXE\r\n"},
        // Several deletions are several NUL lines, the earlier ones kept.
        {"[Rename]\r\nNUL=C:\\OLD.DLL\r\n[x]\r\n",
         "[Rename]\r\nNUL=C:\\PROGRA~1\\T824UIS.EXE\r\nNUL=C:\\OLD.DLL\r\n[x]\r\n"},
        {" [rename] \n", " [rename] \nNUL=C:\\PROGRA~1\\T824UIS.EXE\r\n"},
        {"[rename]", "[rename]\r\nNUL=C:\\PROGRA~1\\T824UIS.EXE\r\n"},
        {"[renamed]\r\n", "[renamed]\r\n[rename]\r\nNUL=C:\\PROGRA~1\\T824UIS.EXE\r\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithWinInitDeletion(c.ini, "C:\\PROGRA~1\\T824UIS.EXE"), c.expected) << c.ini;
    }
}

}  // namespace
}  // namespace tq
