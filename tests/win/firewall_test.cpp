// FirewallExceptions against fake firewall objects (every code, every failure point, reference
// counts back where they started afterwards), then against Wine's own NetFwMgr.
#include <windows.h>
#include <netfw.h>
#include <objbase.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "uninstall/win32/firewall_exceptions.h"

namespace tq::uninstall {
namespace {

// A fake owned by the test: Release never deletes, the count only says whether every reference
// handed out came back exactly once (1 = only the test's own).
template <typename Interface>
class FakeObject : public Interface {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, __uuidof(Interface))) {
            *object = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override {
        --refs_;
        return refs_ > 0 ? static_cast<ULONG>(refs_) : 0;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return Unexpected("TypeInfo"); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override {
        return Unexpected("GetTypeInfo");
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return Unexpected("GetIDsOfNames");
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return Unexpected("Invoke");
    }

    long Refs() const { return refs_; }

  protected:
    // Strict: a call the code has no business making fails the test.
    static HRESULT Unexpected(const char* what) {
        ADD_FAILURE() << "unexpected call: " << what;
        return E_NOTIMPL;
    }
    // Hands out one reference to `object` (or none) through an out parameter.
    template <typename T, typename Fake>
    static HRESULT HandOut(Fake* object, T** out) {
        *out = object;
        if (object) object->AddRef();
        return S_OK;
    }

  private:
    long refs_ = 1;
};

// Fails the calls from the `failFrom`-th on (0: never); counts every call.
struct Injected {
    int failFrom = 0;
    bool givesNull = false;
    int calls = 0;
    bool Fails() {
        ++calls;
        return failFrom > 0 && calls >= failFrom;
    }
};

std::wstring FromBstr(BSTR text) {
    return std::wstring(text, SysStringLen(text));
}

class FakeApplication : public FakeObject<INetFwAuthorizedApplication> {
  public:
    explicit FakeApplication(VARIANT_BOOL state) : state(state) {}
    VARIANT_BOOL state;
    HRESULT enabledResult = S_OK;

    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) override {
        if (FAILED(enabledResult)) return enabledResult;
        *enabled = state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR*) override { return Unexpected("get_Name"); }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR) override { return Unexpected("put_Name"); }
    HRESULT STDMETHODCALLTYPE get_ProcessImageFileName(BSTR*) override {
        return Unexpected("get_ProcessImageFileName");
    }
    HRESULT STDMETHODCALLTYPE put_ProcessImageFileName(BSTR) override {
        return Unexpected("put_ProcessImageFileName");
    }
    HRESULT STDMETHODCALLTYPE get_IpVersion(NET_FW_IP_VERSION*) override {
        return Unexpected("get_IpVersion");
    }
    HRESULT STDMETHODCALLTYPE put_IpVersion(NET_FW_IP_VERSION) override {
        return Unexpected("put_IpVersion");
    }
    HRESULT STDMETHODCALLTYPE get_Scope(NET_FW_SCOPE*) override { return Unexpected("get_Scope"); }
    HRESULT STDMETHODCALLTYPE put_Scope(NET_FW_SCOPE) override { return Unexpected("put_Scope"); }
    HRESULT STDMETHODCALLTYPE get_RemoteAddresses(BSTR*) override {
        return Unexpected("get_RemoteAddresses");
    }
    HRESULT STDMETHODCALLTYPE put_RemoteAddresses(BSTR) override {
        return Unexpected("put_RemoteAddresses");
    }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL) override {
        return Unexpected("put_Enabled");
    }
};

class FakeApplications : public FakeObject<INetFwAuthorizedApplications> {
  public:
    std::map<std::wstring, FakeApplication*> listed;
    std::vector<std::wstring> lookedUp;
    std::vector<std::wstring> removed;
    bool itemGivesNull = false;
    HRESULT removeResult = S_OK;

    HRESULT STDMETHODCALLTYPE Item(BSTR name, INetFwAuthorizedApplication** app) override {
        lookedUp.push_back(FromBstr(name));
        const auto found = listed.find(FromBstr(name));
        if (itemGivesNull)
            return HandOut<INetFwAuthorizedApplication, FakeApplication>(nullptr, app);
        if (found == listed.end()) {
            *app = nullptr;
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        }
        return HandOut<INetFwAuthorizedApplication>(found->second, app);
    }
    HRESULT STDMETHODCALLTYPE Remove(BSTR name) override {
        removed.push_back(FromBstr(name));
        if (FAILED(removeResult)) return removeResult;
        listed.erase(FromBstr(name));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG*) override { return Unexpected("get_Count"); }
    HRESULT STDMETHODCALLTYPE Add(INetFwAuthorizedApplication*) override {
        return Unexpected("Add");
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override {
        return Unexpected("get__NewEnum");
    }
};

class FakePort : public FakeObject<INetFwOpenPort> {
  public:
    explicit FakePort(VARIANT_BOOL state) : state(state) {}
    VARIANT_BOOL state;
    HRESULT enabledResult = S_OK;

    HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* enabled) override {
        if (FAILED(enabledResult)) return enabledResult;
        *enabled = state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR*) override { return Unexpected("get_Name"); }
    HRESULT STDMETHODCALLTYPE put_Name(BSTR) override { return Unexpected("put_Name"); }
    HRESULT STDMETHODCALLTYPE get_IpVersion(NET_FW_IP_VERSION*) override {
        return Unexpected("get_IpVersion");
    }
    HRESULT STDMETHODCALLTYPE put_IpVersion(NET_FW_IP_VERSION) override {
        return Unexpected("put_IpVersion");
    }
    HRESULT STDMETHODCALLTYPE get_Protocol(NET_FW_IP_PROTOCOL*) override {
        return Unexpected("get_Protocol");
    }
    HRESULT STDMETHODCALLTYPE put_Protocol(NET_FW_IP_PROTOCOL) override {
        return Unexpected("put_Protocol");
    }
    HRESULT STDMETHODCALLTYPE get_Port(LONG*) override { return Unexpected("get_Port"); }
    HRESULT STDMETHODCALLTYPE put_Port(LONG) override { return Unexpected("put_Port"); }
    HRESULT STDMETHODCALLTYPE get_Scope(NET_FW_SCOPE*) override { return Unexpected("get_Scope"); }
    HRESULT STDMETHODCALLTYPE put_Scope(NET_FW_SCOPE) override { return Unexpected("put_Scope"); }
    HRESULT STDMETHODCALLTYPE get_RemoteAddresses(BSTR*) override {
        return Unexpected("get_RemoteAddresses");
    }
    HRESULT STDMETHODCALLTYPE put_RemoteAddresses(BSTR) override {
        return Unexpected("put_RemoteAddresses");
    }
    HRESULT STDMETHODCALLTYPE put_Enabled(VARIANT_BOOL) override {
        return Unexpected("put_Enabled");
    }
    HRESULT STDMETHODCALLTYPE get_BuiltIn(VARIANT_BOOL*) override {
        return Unexpected("get_BuiltIn");
    }
};

using PortKey = std::pair<LONG, LONG>;

class FakePorts : public FakeObject<INetFwOpenPorts> {
  public:
    std::map<PortKey, FakePort*> listed;
    std::vector<PortKey> lookedUp;
    std::vector<PortKey> removed;
    bool itemGivesNull = false;
    HRESULT removeResult = S_OK;

    HRESULT STDMETHODCALLTYPE Item(LONG port, NET_FW_IP_PROTOCOL protocol,
                                   INetFwOpenPort** entry) override {
        lookedUp.emplace_back(port, static_cast<LONG>(protocol));
        if (itemGivesNull) return HandOut<INetFwOpenPort, FakePort>(nullptr, entry);
        const auto found = listed.find({port, static_cast<LONG>(protocol)});
        if (found == listed.end()) {
            *entry = nullptr;
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        }
        return HandOut<INetFwOpenPort>(found->second, entry);
    }
    HRESULT STDMETHODCALLTYPE Remove(LONG port, NET_FW_IP_PROTOCOL protocol) override {
        removed.emplace_back(port, static_cast<LONG>(protocol));
        if (FAILED(removeResult)) return removeResult;
        listed.erase({port, static_cast<LONG>(protocol)});
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG*) override { return Unexpected("get_Count"); }
    HRESULT STDMETHODCALLTYPE Add(INetFwOpenPort*) override { return Unexpected("Add"); }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override {
        return Unexpected("get__NewEnum");
    }
};

class FakeProfile : public FakeObject<INetFwProfile> {
  public:
    FakeProfile(FakeApplications* applications, FakePorts* ports)
        : applications_(applications), ports_(ports) {}
    Injected applicationsRead;
    Injected portsRead;

    HRESULT STDMETHODCALLTYPE
    get_AuthorizedApplications(INetFwAuthorizedApplications** apps) override {
        return Read(applicationsRead, applications_, apps);
    }
    HRESULT STDMETHODCALLTYPE get_GloballyOpenPorts(INetFwOpenPorts** ports) override {
        return Read(portsRead, ports_, ports);
    }
    HRESULT STDMETHODCALLTYPE get_Type(NET_FW_PROFILE_TYPE*) override {
        return Unexpected("get_Type");
    }
    HRESULT STDMETHODCALLTYPE get_FirewallEnabled(VARIANT_BOOL*) override {
        return Unexpected("get_FirewallEnabled");
    }
    HRESULT STDMETHODCALLTYPE put_FirewallEnabled(VARIANT_BOOL) override {
        return Unexpected("put_FirewallEnabled");
    }
    HRESULT STDMETHODCALLTYPE get_ExceptionsNotAllowed(VARIANT_BOOL*) override {
        return Unexpected("get_ExceptionsNotAllowed");
    }
    HRESULT STDMETHODCALLTYPE put_ExceptionsNotAllowed(VARIANT_BOOL) override {
        return Unexpected("put_ExceptionsNotAllowed");
    }
    HRESULT STDMETHODCALLTYPE get_NotificationsDisabled(VARIANT_BOOL*) override {
        return Unexpected("get_NotificationsDisabled");
    }
    HRESULT STDMETHODCALLTYPE put_NotificationsDisabled(VARIANT_BOOL) override {
        return Unexpected("put_NotificationsDisabled");
    }
    HRESULT STDMETHODCALLTYPE
    get_UnicastResponsesToMulticastBroadcastDisabled(VARIANT_BOOL*) override {
        return Unexpected("get_UnicastResponses");
    }
    HRESULT STDMETHODCALLTYPE
    put_UnicastResponsesToMulticastBroadcastDisabled(VARIANT_BOOL) override {
        return Unexpected("put_UnicastResponses");
    }
    HRESULT STDMETHODCALLTYPE get_RemoteAdminSettings(INetFwRemoteAdminSettings**) override {
        return Unexpected("get_RemoteAdminSettings");
    }
    HRESULT STDMETHODCALLTYPE get_IcmpSettings(INetFwIcmpSettings**) override {
        return Unexpected("get_IcmpSettings");
    }
    HRESULT STDMETHODCALLTYPE get_Services(INetFwServices**) override {
        return Unexpected("get_Services");
    }

  private:
    template <typename T, typename Fake>
    static HRESULT Read(Injected& injected, Fake* object, T** out) {
        if (injected.Fails()) {
            *out = nullptr;
            return E_ACCESSDENIED;
        }
        return HandOut<T, Fake>(injected.givesNull ? nullptr : object, out);
    }

    FakeApplications* applications_;
    FakePorts* ports_;
};

class FakePolicy : public FakeObject<INetFwPolicy> {
  public:
    FakeProfile* profile = nullptr;
    Injected profileRead;

    HRESULT STDMETHODCALLTYPE get_CurrentProfile(INetFwProfile** out) override {
        if (profileRead.Fails()) {
            *out = nullptr;
            return E_FAIL;
        }
        return HandOut<INetFwProfile, FakeProfile>(profileRead.givesNull ? nullptr : profile, out);
    }
    HRESULT STDMETHODCALLTYPE GetProfileByType(NET_FW_PROFILE_TYPE, INetFwProfile**) override {
        return Unexpected("GetProfileByType");
    }
};

class FakeManager : public FakeObject<INetFwMgr> {
  public:
    explicit FakeManager(FakePolicy* policy) : policy_(policy) {}
    Injected policyRead;

    HRESULT STDMETHODCALLTYPE get_LocalPolicy(INetFwPolicy** out) override {
        if (policyRead.Fails()) {
            *out = nullptr;
            return E_FAIL;
        }
        return HandOut<INetFwPolicy, FakePolicy>(policyRead.givesNull ? nullptr : policy_, out);
    }
    HRESULT STDMETHODCALLTYPE get_CurrentProfileType(NET_FW_PROFILE_TYPE*) override {
        return Unexpected("get_CurrentProfileType");
    }
    HRESULT STDMETHODCALLTYPE RestoreDefaults() override { return Unexpected("RestoreDefaults"); }
    HRESULT STDMETHODCALLTYPE IsPortAllowed(BSTR, NET_FW_IP_VERSION, LONG, BSTR, NET_FW_IP_PROTOCOL,
                                            VARIANT*, VARIANT*) override {
        return Unexpected("IsPortAllowed");
    }
    HRESULT STDMETHODCALLTYPE IsIcmpTypeAllowed(NET_FW_IP_VERSION, BSTR, BYTE, VARIANT*,
                                                VARIANT*) override {
        return Unexpected("IsIcmpTypeAllowed");
    }

  private:
    FakePolicy* policy_;
};

constexpr char16_t kToolPath[] = u"C:\\Program Files\\Orvello\\VNTAdmin.exe";
const std::wstring kToolPathWide = L"C:\\Program Files\\Orvello\\VNTAdmin.exe";
constexpr LONG kUdp = NET_FW_IP_PROTOCOL_UDP;
constexpr LONG kTcp = NET_FW_IP_PROTOCOL_TCP;

// A firewall whose current profile lists the tool and both ports, all enabled; a second profile
// (empty) stands ready to check which profile an open object holds.
class FirewallTest : public ::testing::Test {
  protected:
    FirewallTest() {
        applications.listed[kToolPathWide] = &tool;
        ports.listed[{kTrapPort, kUdp}] = &trapPort;
        ports.listed[{kToolsPort, kUdp}] = &toolsPort;
        policy.profile = &profile;
    }

    // Every object is back to the test's own reference once the firewall object is gone.
    void TearDown() override {
        const std::vector<std::pair<const char*, long>> counts = {
            {"manager", manager.Refs()},           {"policy", policy.Refs()},
            {"profile", profile.Refs()},           {"other profile", otherProfile.Refs()},
            {"applications", applications.Refs()}, {"other applications", otherApps.Refs()},
            {"application", tool.Refs()},          {"ports", ports.Refs()},
            {"other ports", otherPorts.Refs()},    {"trap port", trapPort.Refs()},
            {"tools port", toolsPort.Refs()}};
        for (const auto& [name, refs] : counts) EXPECT_EQ(refs, 1) << name;
    }

    FirewallExceptions::ManagerFactory Factory() {
        return [this](INetFwMgr** out) -> HRESULT {
            ++factoryCalls;
            *out = nullptr;
            if (FAILED(factoryResult)) return factoryResult;
            if (factoryGivesNull) return S_OK;
            manager.AddRef();
            *out = &manager;
            return S_OK;
        };
    }

    FakeApplication tool{VARIANT_TRUE};
    FakeApplications applications;
    FakePort trapPort{VARIANT_TRUE};
    FakePort toolsPort{VARIANT_TRUE};
    FakePorts ports;
    FakeProfile profile{&applications, &ports};
    FakeApplications otherApps;
    FakePorts otherPorts;
    FakeProfile otherProfile{&otherApps, &otherPorts};
    FakePolicy policy;
    FakeManager manager{&policy};
    HRESULT factoryResult = S_OK;
    bool factoryGivesNull = false;
    int factoryCalls = 0;
};

TEST_F(FirewallTest, OpenHoldsOnlyTheProfileAndASecondOpenKeepsTheFirst) {
    FirewallExceptions firewall(Factory());
    EXPECT_EQ(firewall.OpenProfile(), FW_NOERROR);
    // The manager and the policy are released at once; the profile is held.
    EXPECT_EQ(manager.Refs(), 1);
    EXPECT_EQ(policy.Refs(), 1);
    EXPECT_EQ(profile.Refs(), 2);

    policy.profile = &otherProfile;
    EXPECT_EQ(firewall.OpenProfile(), FW_ERR_INITIALIZED);
    EXPECT_EQ(factoryCalls, 1);
    EXPECT_EQ(profile.Refs(), 2);
    EXPECT_EQ(otherProfile.Refs(), 1);
    // The removals still go to the first profile.
    EXPECT_EQ(firewall.RemoveApplication(kToolPath), FW_NOERROR);
    EXPECT_EQ(applications.removed, std::vector<std::wstring>{kToolPathWide});
    EXPECT_TRUE(otherApps.lookedUp.empty());

    EXPECT_EQ(firewall.CloseProfile(), FW_NOERROR);
    EXPECT_EQ(profile.Refs(), 1);
    EXPECT_EQ(firewall.CloseProfile(), FW_NOERROR);
    // Closed again: a new open takes the profile that is current now.
    EXPECT_EQ(firewall.OpenProfile(), FW_NOERROR);
    EXPECT_EQ(otherProfile.Refs(), 2);
}

TEST_F(FirewallTest, DestroyingAnOpenObjectReleasesTheProfile) {
    {
        FirewallExceptions firewall(Factory());
        ASSERT_EQ(firewall.OpenProfile(), FW_NOERROR);
        ASSERT_EQ(profile.Refs(), 2);
    }
    EXPECT_EQ(profile.Refs(), 1);
}

TEST_F(FirewallTest, EveryOperationOfAClosedObjectIsRefused) {
    FirewallExceptions firewall(Factory());
    EXPECT_EQ(firewall.CloseProfile(), FW_NOERROR);
    bool enabled = true;
    EXPECT_EQ(firewall.IsApplicationEnabled(kToolPath, enabled), FW_ERR_INITIALIZED);
    EXPECT_FALSE(enabled);
    // A closed object says so before it looks at the path.
    EXPECT_EQ(firewall.RemoveApplication(nullptr), FW_ERR_INITIALIZED);
    EXPECT_EQ(firewall.RemoveApplication(kToolPath), FW_ERR_INITIALIZED);
    enabled = true;
    EXPECT_EQ(firewall.IsPortEnabled(kTrapPort, kProtocolUdp, enabled), FW_ERR_INITIALIZED);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(firewall.RemovePort(kTrapPort, kProtocolUdp), FW_ERR_INITIALIZED);
    EXPECT_EQ(factoryCalls, 0);
    EXPECT_TRUE(applications.lookedUp.empty());
    EXPECT_TRUE(ports.lookedUp.empty());
}

TEST_F(FirewallTest, EachFailedStepOfOpeningHasItsCodeAndLeavesTheObjectClosed) {
    struct Case {
        const char* name;
        HRESULT factory;
        bool factoryNull;
        int policyFails;
        bool policyNull;
        int profileFails;
        bool profileNull;
        int code;
    };
    const Case cases[] = {
        {"no manager", REGDB_E_CLASSNOTREG, false, 0, false, 0, false,
         FW_ERR_CREATE_SETTING_MANAGER},
        {"manager null", S_OK, true, 0, false, 0, false, FW_ERR_CREATE_SETTING_MANAGER},
        {"no policy", S_OK, false, 1, false, 0, false, FW_ERR_LOCAL_POLICY},
        {"policy null", S_OK, false, 0, true, 0, false, FW_ERR_LOCAL_POLICY},
        {"no profile", S_OK, false, 0, false, 1, false, FW_ERR_PROFILE},
        {"profile null", S_OK, false, 0, false, 0, true, FW_ERR_PROFILE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        factoryResult = c.factory;
        factoryGivesNull = c.factoryNull;
        manager.policyRead = Injected{c.policyFails, c.policyNull};
        policy.profileRead = Injected{c.profileFails, c.profileNull};
        FirewallExceptions firewall(Factory());
        EXPECT_EQ(firewall.OpenProfile(), c.code);
        EXPECT_EQ(manager.Refs(), 1);
        EXPECT_EQ(policy.Refs(), 1);
        EXPECT_EQ(profile.Refs(), 1);
        EXPECT_EQ(firewall.RemovePort(kTrapPort, kProtocolUdp), FW_ERR_INITIALIZED);
    }
}

TEST_F(FirewallTest, AnEnabledApplicationIsFoundAndRemovedByItsPath) {
    FirewallExceptions firewall(Factory());
    ASSERT_EQ(firewall.OpenProfile(), FW_NOERROR);
    bool enabled = false;
    EXPECT_EQ(firewall.IsApplicationEnabled(kToolPath, enabled), FW_NOERROR);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(firewall.RemoveApplication(kToolPath), FW_NOERROR);
    EXPECT_EQ(applications.removed, std::vector<std::wstring>{kToolPathWide});
    EXPECT_EQ(firewall.IsApplicationEnabled(kToolPath, enabled), FW_NOERROR);
    EXPECT_FALSE(enabled);
}

TEST_F(FirewallTest, ADisabledOrUnlistedApplicationIsLeftAlone) {
    FirewallExceptions firewall(Factory());
    ASSERT_EQ(firewall.OpenProfile(), FW_NOERROR);
    bool enabled = true;
    tool.state = VARIANT_FALSE;
    EXPECT_EQ(firewall.IsApplicationEnabled(kToolPath, enabled), FW_NOERROR);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(firewall.RemoveApplication(kToolPath), FW_NOERROR);

    // Not listed: the lookup fails, which is no error.
    enabled = true;
    EXPECT_EQ(firewall.IsApplicationEnabled(u"C:\\Other\\Tool.exe", enabled), FW_NOERROR);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(firewall.RemoveApplication(u"C:\\Other\\Tool.exe"), FW_NOERROR);
    // A lookup that succeeds without an object is not listed either.
    applications.itemGivesNull = true;
    tool.state = VARIANT_TRUE;
    EXPECT_EQ(firewall.RemoveApplication(kToolPath), FW_NOERROR);

    EXPECT_TRUE(applications.removed.empty());
    EXPECT_EQ(applications.listed.count(kToolPathWide), 1u);
    EXPECT_EQ(applications.lookedUp.size(), 5u);
}

TEST_F(FirewallTest, EachFailedApplicationStepHasItsCode) {
    FirewallExceptions firewall(Factory());
    ASSERT_EQ(firewall.OpenProfile(), FW_NOERROR);
    bool enabled = true;
    EXPECT_EQ(firewall.IsApplicationEnabled(nullptr, enabled), FW_ERR_INVALID_ARG);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(firewall.RemoveApplication(nullptr), FW_ERR_INVALID_ARG);
    EXPECT_EQ(firewall.IsApplicationEnabled(u"", enabled), FW_ERR_SYS_ALLOC_STRING);
    EXPECT_EQ(firewall.RemoveApplication(u""), FW_ERR_SYS_ALLOC_STRING);
    EXPECT_TRUE(applications.lookedUp.empty());

    tool.enabledResult = E_FAIL;
    enabled = true;
    EXPECT_EQ(firewall.IsApplicationEnabled(kToolPath, enabled), FW_ERR_APP_ENABLED);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(firewall.RemoveApplication(kToolPath), FW_ERR_APP_ENABLED);
    tool.enabledResult = S_OK;

    profile.applicationsRead = Injected{1};
    EXPECT_EQ(firewall.IsApplicationEnabled(kToolPath, enabled), FW_ERR_AUTH_APPLICATIONS);
    EXPECT_EQ(firewall.RemoveApplication(kToolPath), FW_ERR_AUTH_APPLICATIONS);
    // The list read again for the removal, after the check found the application enabled.
    profile.applicationsRead = Injected{2};
    EXPECT_EQ(firewall.RemoveApplication(kToolPath), FW_ERR_AUTH_APPLICATIONS);
    profile.applicationsRead = Injected{0, true};
    EXPECT_EQ(firewall.RemoveApplication(kToolPath), FW_ERR_AUTH_APPLICATIONS);
    profile.applicationsRead = Injected{};
    EXPECT_TRUE(applications.removed.empty());

    applications.removeResult = E_ACCESSDENIED;
    EXPECT_EQ(firewall.RemoveApplication(kToolPath), FW_ERR_REMOVE);
    EXPECT_EQ(applications.removed.size(), 1u);
    EXPECT_EQ(applications.listed.count(kToolPathWide), 1u);
}

TEST_F(FirewallTest, AChinesePathReachesTheFirewallUnchanged) {
    // C:\Program Files\网络 工具\VNTAdmin.exe
    constexpr char16_t kPath[] = u"C:\\Program Files\\\u7f51\u7edc \u5de5\u5177\\VNTAdmin.exe";
    const std::wstring wide = L"C:\\Program Files\\\u7f51\u7edc \u5de5\u5177\\VNTAdmin.exe";
    applications.listed.clear();
    applications.listed[wide] = &tool;
    FirewallExceptions firewall(Factory());
    ASSERT_EQ(firewall.OpenProfile(), FW_NOERROR);
    EXPECT_EQ(firewall.RemoveApplication(kPath), FW_NOERROR);
    EXPECT_EQ(applications.lookedUp, std::vector<std::wstring>{wide});
    EXPECT_EQ(applications.removed, std::vector<std::wstring>{wide});
    EXPECT_TRUE(applications.listed.empty());
}

TEST_F(FirewallTest, EnabledPortsAreRemovedWithTheirProtocolOthersStay) {
    FirewallExceptions firewall(Factory());
    ASSERT_EQ(firewall.OpenProfile(), FW_NOERROR);
    FakePort trapTcp{VARIANT_TRUE};
    ports.listed[{kTrapPort, kTcp}] = &trapTcp;
    toolsPort.state = VARIANT_FALSE;

    bool enabled = false;
    EXPECT_EQ(firewall.IsPortEnabled(kTrapPort, kProtocolUdp, enabled), FW_NOERROR);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(firewall.RemovePort(kTrapPort, kProtocolUdp), FW_NOERROR);
    // Disabled: left in place.
    EXPECT_EQ(firewall.IsPortEnabled(kToolsPort, kProtocolUdp, enabled), FW_NOERROR);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(firewall.RemovePort(kToolsPort, kProtocolUdp), FW_NOERROR);
    // Not listed (any more), or a lookup without an object.
    EXPECT_EQ(firewall.RemovePort(kTrapPort, kProtocolUdp), FW_NOERROR);
    ports.itemGivesNull = true;
    EXPECT_EQ(firewall.IsPortEnabled(kTrapPort, NET_FW_IP_PROTOCOL_TCP, enabled), FW_NOERROR);
    EXPECT_FALSE(enabled);

    EXPECT_EQ(ports.removed, std::vector<PortKey>{PortKey(kTrapPort, kUdp)});
    EXPECT_EQ(ports.listed.count({kTrapPort, kTcp}), 1u);
    EXPECT_EQ(ports.listed.count({kToolsPort, kUdp}), 1u);
    ports.listed.clear();
    EXPECT_EQ(trapTcp.Refs(), 1);
}

TEST_F(FirewallTest, EachFailedPortStepHasItsCode) {
    FirewallExceptions firewall(Factory());
    ASSERT_EQ(firewall.OpenProfile(), FW_NOERROR);
    bool enabled = true;
    profile.portsRead = Injected{1};
    EXPECT_EQ(firewall.IsPortEnabled(kTrapPort, kProtocolUdp, enabled), FW_ERR_GLOBAL_OPEN_PORTS);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(firewall.RemovePort(kTrapPort, kProtocolUdp), FW_ERR_GLOBAL_OPEN_PORTS);
    profile.portsRead = Injected{2};
    EXPECT_EQ(firewall.RemovePort(kTrapPort, kProtocolUdp), FW_ERR_GLOBAL_OPEN_PORTS);
    profile.portsRead = Injected{0, true};
    EXPECT_EQ(firewall.RemovePort(kTrapPort, kProtocolUdp), FW_ERR_GLOBAL_OPEN_PORTS);
    profile.portsRead = Injected{};

    trapPort.enabledResult = E_FAIL;
    enabled = true;
    EXPECT_EQ(firewall.IsPortEnabled(kTrapPort, kProtocolUdp, enabled), FW_ERR_PORT_IS_ENABLED);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(firewall.RemovePort(kTrapPort, kProtocolUdp), FW_ERR_PORT_IS_ENABLED);
    trapPort.enabledResult = S_OK;
    EXPECT_TRUE(ports.removed.empty());

    ports.removeResult = E_ACCESSDENIED;
    EXPECT_EQ(firewall.RemovePort(kTrapPort, kProtocolUdp), FW_ERR_REMOVE);
    EXPECT_EQ(ports.listed.count({kTrapPort, kUdp}), 1u);
}

// Initialises COM on the calling thread for the life of the object.
class ComApartment {
  public:
    ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(result_)) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT Result() const { return result_; }

  private:
    HRESULT result_;
};

// Wine's hnetcfg: the objects exist but keep nothing. An application lookup answers for any
// path with a disabled blank entry; a port lookup answers for any port with an enabled one,
// whose removal Wine does not implement (E_NOTIMPL: 15). Pinned so a change in Wine shows.
TEST(WineFirewall, TheUninstallSequenceRunsOnWinesFirewall) {
    ComApartment com;
    ASSERT_EQ(com.Result(), S_OK);
    FirewallExceptions firewall;
    ASSERT_EQ(firewall.OpenProfile(), FW_NOERROR);
    EXPECT_EQ(firewall.OpenProfile(), FW_ERR_INITIALIZED);

    bool enabled = true;
    EXPECT_EQ(firewall.IsApplicationEnabled(kToolPath, enabled), FW_NOERROR);
    EXPECT_FALSE(enabled);
    EXPECT_EQ(firewall.RemoveApplication(kToolPath), FW_NOERROR);
    EXPECT_EQ(firewall.RemoveApplication(u""), FW_ERR_SYS_ALLOC_STRING);

    enabled = false;
    EXPECT_EQ(firewall.IsPortEnabled(kTrapPort, kProtocolUdp, enabled), FW_NOERROR);
    EXPECT_TRUE(enabled);
    EXPECT_EQ(firewall.RemovePort(kTrapPort, kProtocolUdp), FW_ERR_REMOVE);
    EXPECT_EQ(firewall.RemovePort(kToolsPort, kProtocolUdp), FW_ERR_REMOVE);
    EXPECT_EQ(firewall.CloseProfile(), FW_NOERROR);
    EXPECT_EQ(firewall.RemovePort(kTrapPort, kProtocolUdp), FW_ERR_INITIALIZED);
}

// Without COM on the thread the manager cannot be made: 2, and every removal then 1.
TEST(WineFirewall, WithoutComTheManagerIsNotMade) {
    int open = -1;
    int removal = -1;
    HRESULT created = S_OK;
    std::thread worker([&] {
        INetFwMgr* manager = nullptr;
        created = CoCreateInstance(__uuidof(NetFwMgr), nullptr, CLSCTX_INPROC_SERVER,
                                   __uuidof(INetFwMgr), reinterpret_cast<void**>(&manager));
        if (manager) manager->Release();
        FirewallExceptions firewall;
        open = firewall.OpenProfile();
        removal = firewall.RemoveApplication(kToolPath);
    });
    worker.join();
    EXPECT_EQ(created, CO_E_NOTINITIALIZED);
    EXPECT_EQ(open, FW_ERR_CREATE_SETTING_MANAGER);
    EXPECT_EQ(removal, FW_ERR_INITIALIZED);
}

}  // namespace
}  // namespace tq::uninstall
