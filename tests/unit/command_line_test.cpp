#include "install/unattended/command_line.h"

#include <gtest/gtest.h>

#include "platform/text.h"

namespace tq {
namespace {

std::vector<std::string> Split(std::string_view line) {
    return SplitCommandLine(line, [](unsigned char c) { return IsLeadByte936(c); });
}

TEST(SplitCommandLine, FollowsTheRuntimesRulesAndKeepsDoubleByteCharactersWhole) {
    struct Case {
        const char* line;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {"TQ82Ins.exe", {"TQ82Ins.exe"}},
        {"\"C:\\My Medium\\TQ82Ins.exe\"  /quiet\t/port:lpt1 ",
         {"C:\\My Medium\\TQ82Ins.exe", "/quiet", "/port:lpt1"}},
        {"x /name:\"Front Desk\" \"/share:A B\"", {"x", "/name:Front Desk", "/share:A B"}},
        {"x /port:\\\\srv\\q", {"x", "/port:\\\\srv\\q"}},             // backslashes as they are
        {"x \"/log:C:\\logs\\\\\" /quiet", {"x", "/log:C:\\logs\\", "/quiet"}},  // \\" ends
        {"x /name:a\\\"b", {"x", "/name:a\"b"}},                          // \" is a quote
        {"x \"a\"\"b\"", {"x", "a\"b"}},
        {"x \"\"", {"x", ""}},
        // 0x5C after a lead byte is that character's second byte, not an escape of the quote.
        {"x \"/name:\x95\x5C\" /quiet", {"x", "/name:\x95\x5C", "/quiet"}},
        {"x /name:\"\xC7\xB0\xCC\xA8 \xB4\xF2\xD3\xA1\xBB\xFA\"", {"x", "/name:\xC7\xB0\xCC\xA8 \xB4\xF2\xD3\xA1\xBB\xFA"}},
    };
    for (const Case& c : cases) EXPECT_EQ(Split(c.line), c.arguments) << c.line;
}

// The program's own path, however a launcher hands it over, is never an option.
TEST(SplitProgramCommandLine, SkipsTheProgramsOwnPathQuotedOrNot) {
    const std::string module = "D:\\Printer Drivers\\TQ82Ins.exe";
    // D:\打印 驱动\TQ82Ins.exe: a blank between two double-byte characters.
    const std::string chinese = "D:\\\xB4\xF2\xD3\xA1 \xC7\xFD\xB6\xAF\\TQ82Ins.exe";
    // D:\表 x\TQ82Ins.exe: 表's second byte is 0x5C, no folder separator.
    const std::string trail = "D:\\\xB1\xED x\\TQ82Ins.exe";
    struct Case {
        std::string module;
        std::string line;
        std::vector<std::string> arguments;
    };
    const Case cases[] = {
        {module, "\"" + module + "\" /quiet", {module, "/quiet"}},
        {module, module, {module}},
        {module, module + " /quiet /port:lpt1", {module, "/quiet", "/port:lpt1"}},
        {module, "d:\\printer drivers\\tq82ins /quiet", {"d:\\printer drivers\\tq82ins", "/quiet"}},
        {module, "Printer Drivers\\TQ82Ins.exe /?", {"Printer Drivers\\TQ82Ins.exe", "/?"}},
        {module, "  TQ82Ins.exe\t/quiet", {"TQ82Ins.exe", "/quiet"}},
        {module, "\"" + module + "\"/quiet", {module, "/quiet"}},
        // Words that do not name this program stay arguments, as the runtime splits them.
        {module, "D:\\Printer Setup\\TQ82Ins.exe", {"D:\\Printer", "Setup\\TQ82Ins.exe"}},
        {module, "", {""}},
        {chinese, chinese + " /quiet", {chinese, "/quiet"}},
        {chinese, "\"" + chinese + "\" /log:x", {chinese, "/log:x"}},
        {trail, trail + " /quiet", {trail, "/quiet"}},
        {"C:\\x\\VNTAdminUninstall.exe", "C:\\x\\VNTAdminUninstall.exe", {"C:\\x\\VNTAdminUninstall.exe"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitProgramCommandLine(c.line, c.module,
                                          [](unsigned char b) { return IsLeadByte936(b); }),
                  c.arguments)
            << c.line;
    }
    // Under a Western code page the same bytes are single characters: 0xED 0x5C ends a folder.
    const auto western = [](unsigned char) { return false; };
    EXPECT_EQ(SplitProgramCommandLine("C:\\Caf\xE9 x\\TQ82Ins.exe /quiet",
                                      "C:\\Caf\xE9 x\\TQ82Ins.exe", western),
              (std::vector<std::string>{"C:\\Caf\xE9 x\\TQ82Ins.exe", "/quiet"}));
}

TEST(ParseCommandLine, GoodCommandLines) {
    struct Case {
        const char* line;
        RunMode mode;
        std::string name;
        bool isDefault;
        std::string share;
        PortChoice port;
        std::string portValue;  // the address or the path
        PortProtocol protocol;
        unsigned wait;
        std::string log;
    };
    const Case cases[] = {
        {"x", RunMode::Wizard, "", true, "", PortChoice::Usb, "", PortProtocol::Raw, 0, ""},
        {"x /log:C:\\t.log", RunMode::Wizard, "", true, "", PortChoice::Usb, "",
         PortProtocol::Raw, 0, "C:\\t.log"},
        {"x /?", RunMode::Usage, "", true, "", PortChoice::Usb, "", PortProtocol::Raw, 0, ""},
        {"x /QUIET", RunMode::Quiet, "", true, "", PortChoice::Usb, "", PortProtocol::Raw, 0, ""},
        {"x -quiet /Port=LPT1: /Default:NO /name:\"Front Desk\" /share:FRONT", RunMode::Quiet,
         "Front Desk", false, "FRONT", PortChoice::Parallel, "", PortProtocol::Raw, 0, ""},
        {"x /quiet /port:192.168.1.20 /protocol:LPR", RunMode::Quiet, "", true, "",
         PortChoice::TcpIp, "192.168.1.20", PortProtocol::Lpr, 0, ""},
        {"x /quiet /port:\\\\srv\\Laser", RunMode::Quiet, "", true, "", PortChoice::Shared,
         "\\\\srv\\Laser", PortProtocol::Raw, 0, ""},
        {"x /quiet /port:usb /wait:300 \"/log:D:\\\xC8\xD5\xD6\xBE\\tq.log\"", RunMode::Quiet, "", true, "",
         PortChoice::Usb, "", PortProtocol::Raw, 300, "D:\\\xC8\xD5\xD6\xBE\\tq.log"},
        {"x /quiet /norestart /port:010.001.002.003", RunMode::Quiet, "", true, "",
         PortChoice::TcpIp, "10.1.2.3", PortProtocol::Raw, 0, ""},  // one port per printer
        {"x /quiet /wait:86400", RunMode::Quiet, "", true, "", PortChoice::Usb, "",
         PortProtocol::Raw, 86400, ""},
        {"x /quiet /port:223.255.0.254", RunMode::Quiet, "", true, "", PortChoice::TcpIp,
         "223.255.0.254", PortProtocol::Raw, 0, ""},
        // A name in code page 936: 前台 打印机.
        {"x /quiet /name:\"\xC7\xB0\xCC\xA8 \xB4\xF2\xD3\xA1\xBB\xFA\"", RunMode::Quiet,
         "\xC7\xB0\xCC\xA8 \xB4\xF2\xD3\xA1\xBB\xFA", true, "", PortChoice::Usb, "",
         PortProtocol::Raw, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const CommandLine line = ParseCommandLine(Split(c.line));
        ASSERT_TRUE(line.ok()) << line.badOption << ": " << line.why;
        EXPECT_EQ(line.mode, c.mode);
        EXPECT_EQ(line.printerName, c.name);
        EXPECT_EQ(line.setAsDefault, c.isDefault);
        EXPECT_EQ(line.shareName, c.share);
        EXPECT_EQ(line.port, c.port);
        EXPECT_EQ(c.port == PortChoice::Shared ? line.sharedPath : line.address, c.portValue);
        EXPECT_EQ(line.protocol, c.protocol);
        EXPECT_EQ(line.usbWaitSeconds, c.wait);
        EXPECT_EQ(line.logPath, c.log);
    }
}

TEST(ParseCommandLine, BadCommandLinesNameTheOptionAndWhy) {
    struct Case {
        const char* line;
        const char* option;
    };
    const Case cases[] = {
        {"x quiet", "\"quiet\""},                     // not an option
        {"x /quiet \"\"", "\"\""},
        {"x /quiet /colour:red", "/colour:red"},       // unknown
        {"x /quiet /name:a /NAME:b", "/NAME:b"},       // twice
        {"x /quiet /quiet", "/quiet"},
        {"x /quiet:yes", "/quiet:yes"},                // a flag with a value
        {"x /quiet /name:", "/name:"},                 // no value
        {"x /quiet /share", "/share"},
        {"x /name:Front", "/name:Front"},              // without /quiet
        {"x /quiet /name:..\\Windows", "/name:..\\Windows"},
        {"x /quiet /name:CON", "/name:CON"},
        {"x /quiet \"/name:Name \"", "/name:Name "},
        {"x /quiet /name:ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456", "/name:ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456"},
        // 18 double-byte characters: 36 bytes do not fit the record.
        {"x /quiet /name:\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2",
         "/name:\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2\xB4\xF2"},
        {"x /quiet /default:maybe", "/default:maybe"},
        {"x /quiet /share:ThirteenChars", "/share:ThirteenChars"},
        {"x /quiet /port:com1", "/port:com1"},
        {"x /quiet /port:127.0.0.1", "/port:127.0.0.1"},
        {"x /quiet /port:10.0.0.0", "/port:10.0.0.0"},
        {"x /quiet /port:10.0.0.256", "/port:10.0.0.256"},
        {"x /quiet /port:\\\\srv", "/port:\\\\srv"},
        {"x /quiet /port:\\\\srv\\a\\b", "/port:\\\\srv\\a\\b"},
        {"x /quiet /protocol:lpr", "/protocol:lpr"},  // no address
        {"x /quiet /port:10.0.0.5 /protocol:ipp", "/protocol:ipp"},
        {"x /quiet /port:lpt1 /wait:5", "/wait:5"},
        {"x /quiet /wait:-1", "/wait:-1"},
        {"x /quiet /wait:86401", "/wait:86401"},
        {"x /quiet /port:224.0.0.1", "/port:224.0.0.1"},  // what the address control refuses
        {"x /quiet /port:255.255.255.255", "/port:255.255.255.255"},
        {"x /quiet /port:10.0.0.255", "/port:10.0.0.255"},
        {"x /quiet /share:a/b", "/share:a/b"},  // what the server service refuses
        {"x /quiet /share:a\x01" "b", "/share:a\x01" "b"},
        {"x /quiet \"/share:a b=c\"", "/share:a b=c"},
        {"x /quiet /?", "/?"},
        {"x /norestart", "/norestart"},
        // /quiet and /log hold wherever they stand, before or after what is refused.
        {"x /colour:red /quiet /log:D:\\t.log", "/colour:red"},
        {"x -Quiet /log:D:\\t.log /log:E:\\u.log", "/log:E:\\u.log"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const CommandLine line = ParseCommandLine(Split(c.line));
        EXPECT_FALSE(line.ok());
        EXPECT_EQ(line.badOption, c.option);
        const std::string text = c.line;
        const bool quiet = text.find("/quiet") != std::string::npos ||
                           text.find("-Quiet") != std::string::npos ||
                           text.find("/quiet:") != std::string::npos;
        EXPECT_EQ(line.mode, quiet ? RunMode::Quiet : RunMode::Wizard);
        if (text.find("/log:") != std::string::npos) {
            EXPECT_EQ(line.logPath, "D:\\t.log");
        }
    }
}

}  // namespace
}  // namespace tq
