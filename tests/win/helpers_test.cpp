// The helper libraries of the test medium against Wine's spooler, setup API and plug-and-play
// manager, loaded and called as the installer does.
#include <windows.h>
#include <winspool.h>
#include <cfgmgr32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "helpers/setup_9x/setup_9x.h"
#include "helpers/setup_nt/setup_nt.h"

namespace tq {
namespace {

constexpr char kDriver[] = "Helper Test Driver";
constexpr size_t kPortBufferSize = 260;

// A helper library loaded by bare name from beside this program, as the installer loads it.
class Library {
  public:
    explicit Library(const char* name) : module_(LoadLibraryA(name)) {}
    ~Library() {
        if (module_) FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    bool loaded() const { return module_ != nullptr; }
    template <typename Fn>
    Fn Find(const char* name) const {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

  private:
    HMODULE module_;
};

std::string Text(const char* s) {
    return s ? s : "";
}

// One two-call spooler enumeration; `read` sees each record while the block lives.
template <typename Info, typename Call, typename Read>
void Enumerate(Call call, Read read) {
    DWORD needed = 0, count = 0;
    call(nullptr, 0, &needed, &count);
    std::vector<BYTE> block(needed);
    if (needed == 0 || !call(block.data(), needed, &needed, &count)) return;
    const auto* records = reinterpret_cast<const Info*>(block.data());
    std::for_each(records, records + count, read);
}

struct Queue {
    bool found = false;
    std::string share, port, driver, comment, location;
    DWORD attributes = 0;
};

Queue ReadQueue(const std::string& name) {
    Queue q;
    Enumerate<PRINTER_INFO_2A>(
        [](BYTE* b, DWORD s, DWORD* n, DWORD* c) {
            return EnumPrintersA(PRINTER_ENUM_LOCAL, nullptr, 2, b, s, n, c);
        },
        [&](const PRINTER_INFO_2A& p) {
            if (Text(p.pPrinterName) != name) return;
            q = {true,
                 Text(p.pShareName),
                 Text(p.pPortName),
                 Text(p.pDriverName),
                 Text(p.pComment),
                 Text(p.pLocation),
                 p.Attributes};
        });
    return q;
}

// False when the enumeration itself fails.
bool ListPorts(std::vector<std::string>& ports) {
    bool listed = false;
    Enumerate<PORT_INFO_1A>(
        [&](BYTE* b, DWORD s, DWORD* n, DWORD* c) {
            return listed = EnumPortsA(nullptr, 1, b, s, n, c) != FALSE;
        },
        [&](const PORT_INFO_1A& p) { ports.push_back(Text(p.pName)); });
    return listed;
}

bool PortListed(const std::string& name) {
    std::vector<std::string> ports;
    return ListPorts(ports) && std::count(ports.begin(), ports.end(), name) == 1;
}

// The spooler's records take non-const strings that it only reads.
char* S(const char* text) {
    return const_cast<char*>(text);
}

bool AddQueue(const char* name, const char* port, DWORD attributes = 0) {
    PRINTER_INFO_2A info{};
    info.pPrinterName = S(name);
    info.pPortName = S(port);
    info.pDriverName = S(kDriver);
    info.pPrintProcessor = S("WinPrint");
    info.pDatatype = S("RAW");
    info.pComment = S("kept comment");
    info.pLocation = S("kept location");
    info.Attributes = attributes;
    HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (h) ClosePrinter(h);
    return h != nullptr;
}

std::string DefaultPrinter() {
    char name[MAX_PATH] = "";
    DWORD size = MAX_PATH;
    return GetDefaultPrinterA(name, &size) ? name : "";
}

class HelperTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        DRIVER_INFO_3A info{};
        info.cVersion = 3;
        info.pName = S(kDriver);
        info.pDriverPath = S("helper.dll");  // placeholders: Wine does not look for the files
        info.pDataFile = S("helper.dat");
        info.pConfigFile = S("helperui.dll");
        ASSERT_TRUE(AddPrinterDriverA(nullptr, 3, reinterpret_cast<BYTE*>(&info)));
    }
    void SetUp() override {
        ASSERT_TRUE(setupNt.loaded()) << "SetupNT.dll beside the test program";
        ASSERT_TRUE(setup9x.loaded()) << "Setup9x.dll beside the test program";
        copyInf = setupNt.Find<decltype(&CopyInf)>("CopyInf");
        installPort = setupNt.Find<decltype(&InstallPort)>("InstallPort");
        refresh = setupNt.Find<decltype(&RefreshLocalDevNode)>("RefreshLocalDevNode");
        setDefault = setupNt.Find<decltype(&SetDefault)>("SetDefault");
        sharePrinter = setup9x.Find<decltype(&SharePrinter)>("SharePrinter");
        ASSERT_TRUE(copyInf && installPort && refresh && setDefault && sharePrinter);
    }

    Library setupNt{"SetupNT.dll"};
    Library setup9x{"Setup9x.dll"};
    decltype(&CopyInf) copyInf = nullptr;
    decltype(&InstallPort) installPort = nullptr;
    decltype(&RefreshLocalDevNode) refresh = nullptr;
    decltype(&SetDefault) setDefault = nullptr;
    decltype(&SharePrinter) sharePrinter = nullptr;
};

TEST_F(HelperTest, EachLibraryExportsOnlyItsOwnNames) {
    // SetUp found every export by its exact name; the other library's name is not there.
    EXPECT_EQ(setupNt.Find<FARPROC>("SharePrinter"), nullptr);
    EXPECT_EQ(setup9x.Find<FARPROC>("SetDefault"), nullptr);
}

TEST_F(HelperTest, SetDefaultMakesTheQueueTheDefaultPrinter) {
    ASSERT_TRUE(AddQueue("Helper Default One", "LPT1:"));
    ASSERT_TRUE(AddQueue("Helper Default Two", "LPT2:"));
    EXPECT_NE(setDefault("Helper Default One"), 0);
    EXPECT_EQ(DefaultPrinter(), "Helper Default One");
    EXPECT_NE(setDefault("Helper Default Two"), 0);
    EXPECT_EQ(DefaultPrinter(), "Helper Default Two");

    // Wine's SetDefaultPrinterA reports success for "" and NULL and changes nothing.
    EXPECT_EQ(setDefault("Helper No Such Queue"), 0);
    EXPECT_EQ(setDefault(""), 0);
    EXPECT_EQ(setDefault(nullptr), 0);
    EXPECT_EQ(DefaultPrinter(), "Helper Default Two");
}

TEST_F(HelperTest, SharePrinterSharesTheQueueAndKeepsEverythingElse) {
    const DWORD attributes = PRINTER_ATTRIBUTE_QUEUED | PRINTER_ATTRIBUTE_DIRECT;
    ASSERT_TRUE(AddQueue("Helper Share", "LPT3:", attributes));
    const Queue before = ReadQueue("Helper Share");
    ASSERT_TRUE(before.found);
    ASSERT_EQ(before.attributes & attributes, attributes);

    EXPECT_NE(sharePrinter("Helper Share", "HELPERSHARE"), 0);
    Queue after = ReadQueue("Helper Share");
    EXPECT_EQ(after.share, "HELPERSHARE");
    EXPECT_EQ(after.attributes, before.attributes | PRINTER_ATTRIBUTE_SHARED);
    EXPECT_EQ(after.port, "LPT3:");
    EXPECT_EQ(after.driver, kDriver);
    EXPECT_EQ(after.comment, "kept comment");
    EXPECT_EQ(after.location, "kept location");

    // Shared again under another name: the name is replaced, nothing else moves.
    EXPECT_NE(sharePrinter("Helper Share", "HELPERSHARE2"), 0);
    after = ReadQueue("Helper Share");
    EXPECT_EQ(after.share, "HELPERSHARE2");
    EXPECT_EQ(after.attributes, before.attributes | PRINTER_ATTRIBUTE_SHARED);

    EXPECT_EQ(sharePrinter("Helper No Such Queue", "HELPERSHARE3"), 0);
    EXPECT_EQ(sharePrinter("Helper Share", ""), 0);
    EXPECT_EQ(sharePrinter(nullptr, "HELPERSHARE3"), 0);
    EXPECT_EQ(ReadQueue("Helper Share").share, "HELPERSHARE2");
}

std::string WindowsInf(const char* name) {
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows) + "\\inf\\" + name;
}

// A program folder as the staging copy leaves it (a space in the path, as under Program Files).
std::string MakeProgramFolder(const char* name) {
    const std::string folder = std::string("C:\\Helper Test\\") + name;
    CreateDirectoryA("C:\\Helper Test", nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    CreateDirectoryA((folder + "\\Driver").c_str(), nullptr);
    return folder;
}

TEST_F(HelperTest, CopyInfInstallsTheSetupInformationFilesOfTheMedium) {
    for (const char* platform : {"2KXP", "Vista"}) {
        SCOPED_TRACE(platform);
        const std::string folder = MakeProgramFolder(platform);
        std::string source = std::string(TQ_MEDIUM_DRIVER_DIR "/") + platform + "/T8242if.inf";
        std::replace(source.begin(), source.end(), '/', '\\');
        ASSERT_TRUE(CopyFileA(source.c_str(), (folder + "\\Driver\\T8242if.inf").c_str(), FALSE))
            << source;
        DeleteFileA(WindowsInf("T8242if.inf").c_str());

        EXPECT_NE(copyInf(folder.c_str(), "T8242if.inf"), 0);
        // Wine keeps the file's own name where Windows would name it oemN.inf.
        EXPECT_NE(GetFileAttributesA(WindowsInf("T8242if.inf").c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

TEST_F(HelperTest, CopyInfFailsForMissingBrokenAndOverlongFiles) {
    const std::string folder = MakeProgramFolder("Broken");
    const std::string broken = folder + "\\Driver\\Broken.inf";
    HANDLE file = CreateFileA(broken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "not a setup information file\r\n", 30, &written, nullptr);
    CloseHandle(file);

    EXPECT_EQ(copyInf(folder.c_str(), "Missing.inf"), 0);
    EXPECT_EQ(copyInf(folder.c_str(), "Broken.inf"), 0);
    EXPECT_EQ(copyInf((folder + std::string(240, 'x')).c_str(), "T8242if.inf"), 0);
    EXPECT_EQ(copyInf(nullptr, "T8242if.inf"), 0);
    EXPECT_EQ(copyInf(folder.c_str(), nullptr), 0);
}

// The installer's 260-byte port buffer with guard bytes after it.
struct PortBuffer {
    explicit PortBuffer(const std::string& copy) {
        std::memset(bytes, 0xCD, sizeof bytes);
        std::memcpy(bytes, copy.c_str(), std::min(copy.size() + 1, kPortBufferSize));
        bytes[kPortBufferSize - 1] = '\0';
    }
    bool GuardsIntact() const {
        return std::all_of(bytes + kPortBufferSize, std::end(bytes),
                           [](char c) { return c == static_cast<char>(0xCD); });
    }
    std::string text() const { return std::string(bytes, strnlen(bytes, kPortBufferSize)); }
    char bytes[kPortBufferSize + 16];
};

TEST_F(HelperTest, InstallPortMakesTheSharedPrintersPortAndLeavesItInTheBuffer) {
    const std::string longest = "\\\\helper-server\\" + std::string(259 - 16, 's');
    for (const std::string& name : {std::string("\\\\helper-server\\share"), longest}) {
        SCOPED_TRACE(name.size());
        for (int round = 0; round < 2; ++round) {  // the second finds the port already there
            PortBuffer buffer(name);
            EXPECT_NE(installPort(name.c_str(), 3, buffer.bytes), 0);
            EXPECT_EQ(buffer.text(), name);
            EXPECT_TRUE(buffer.GuardsIntact());
        }
        EXPECT_TRUE(PortListed(name));
    }
    // A queue takes the port as the installer then passes it.
    PortBuffer buffer("\\\\helper-server\\share");
    installPort("\\\\helper-server\\share", 3, buffer.bytes);
    ASSERT_TRUE(AddQueue("Helper Shared Port", buffer.bytes));
    EXPECT_EQ(ReadQueue("Helper Shared Port").port, "\\\\helper-server\\share");
}

TEST_F(HelperTest, InstallPortRefusesWhatIsNoPortOfASharedPrinter) {
    const std::string overlong = "\\\\helper-server\\" + std::string(300, 'o');
    const std::string parallel = "LPT1:";
    const std::vector<std::pair<std::string, int>> cases = {
        {overlong, 3}, {std::string(), 3}, {parallel, 1}};
    for (const auto& [name, type] : cases) {
        SCOPED_TRACE(name.size());
        PortBuffer buffer(name);
        const std::string held = buffer.text();
        EXPECT_EQ(installPort(name.c_str(), type, buffer.bytes), 0);
        EXPECT_EQ(buffer.text(), held);
        EXPECT_TRUE(buffer.GuardsIntact());
    }
    EXPECT_EQ(installPort(nullptr, 3, PortBuffer("x").bytes), 0);
    // Wine's port list breaks (empty name: hangs; 260 or more: fails) once such a name is added.
    std::vector<std::string> ports;
    EXPECT_TRUE(ListPorts(ports));
    EXPECT_FALSE(ports.empty());
}

TEST_F(HelperTest, RefreshLocalDevNodeReportsWhatPlugAndPlayAnswers) {
    DEVINST root = 0;
    const bool available =
        CM_Locate_DevNodeA(&root, nullptr, CM_LOCATE_DEVNODE_NORMAL) == CR_SUCCESS &&
        CM_Reenumerate_DevNode(root, CM_REENUMERATE_SYNCHRONOUS) == CR_SUCCESS;
    const int result = refresh();
    EXPECT_EQ(result != 0, available);
    if (!available) {
        std::printf(
            "plug-and-play re-enumeration is not available here (Wine answers "
            "CR_CALL_NOT_IMPLEMENTED): RefreshLocalDevNode reports %d\n",
            result);
    }
}

}  // namespace
}  // namespace tq
