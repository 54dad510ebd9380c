#include <gtest/gtest.h>
#include <unistd.h>
#include <winsim/control.h>
#include <winsim/windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/host_fixture.h"

namespace {

namespace fs = std::filesystem;

class HostImageFileTest : public HostTest {
 protected:
  fs::path folder = fs::temp_directory_path() / ("winsim-test-" + std::to_string(::getpid()));
  fs::path image = folder / "host.json";
  void SetUp() override { fs::create_directories(folder); }
  void TearDown() override {
    winsim::ResetHostToStock();  // stop writing into the folder
    fs::remove_all(folder);
    HostTest::TearDown();
  }
  std::string Text() {
    std::ifstream in(image);
    return {std::istreambuf_iterator<char>(in), {}};
  }
};

TEST_F(HostImageFileTest, AMissingFileIsTheStockImageCreatedAtTheFirstWrite) {
  winsim::ResetHostFromFile(image.string());
  EXPECT_FALSE(fs::exists(image));
  EXPECT_EQ(Image(), Stock());
  const std::string original = R"({"winsim": 1, "extra": {"kept": [1, "two"]},
    "services": [{"deniedAccess": 0, "name": "IISADMIN", "state": 1, "comment": "x"}], "faults": []})";
  std::ofstream(image) << original;
  winsim::ResetHostFromFile(image.string());
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  SC_HANDLE service = OpenServiceW(manager, u"IISADMIN", SERVICE_START);
  ASSERT_TRUE(StartServiceW(service, 0, nullptr));
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  Json expected = Json::parse(original);
  expected["services"][0]["state"] = 4;
  EXPECT_EQ(Json::parse(Text()).dump(), expected.dump()) << "order and unknown fields kept";
  EXPECT_FALSE(Image().contains("registry")) << "a missing hive is empty, written only when changed";
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  const char16_t text[] = u"C:";
  RegSetValueExW(key, u"IniFilePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
  RegCloseKey(key);
  EXPECT_EQ(RegistryValueAt(Json::parse(Text()), "SOFTWARE\\PHP", "IniFilePath")["data"], "C:");
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\PHP");
  EXPECT_TRUE(RegistryKeyAt(Json::parse(Text()), "SOFTWARE\\PHP").is_null());
  for (const auto& entry : fs::directory_iterator(folder))
    EXPECT_EQ(entry.path().string().find(".tmp."), std::string::npos) << "left: " << entry.path();
}

// From the control API an invalid image is refused and the old one kept; from
// a file it gives a bare machine, one line on standard error and the file untouched.
TEST_F(HostImageFileTest, AnInvalidImageIsRefusedOrGivesABareMachine) {
  Json longName = Stock();  // longer than the 256-character buffers names are enumerated into
  longName["iis"]["metabase"]["children"][0]["name"] = std::string(256, 'a');
  for (const std::string& bad : std::initializer_list<std::string>{
           "not json", R"({"winsim": 2})", R"({"winsim": 1, "services": {}})",
           R"({"winsim": 1, "caller": {"comApartment": "both"}})",
           R"({"winsim": 1, "faults": [{"call": "OpenServiceW"}]})", R"({"winsim": 1, "services": [{"state": 4}]})",
           longName.dump(), R"({"winsim": 1, "broadcasts": {}})",
           WithRegistryValue(Stock(), "SOFTWARE", {{"name", "v"}, {"type", 4}, {"data", "text"}}).dump(),
           WithRegistryValue(Stock(), "SOFTWARE", {{"name", "v"}, {"type", 1}, {"hex", "abc"}}).dump()}) {
    EXPECT_THROW(winsim::ResetHost(bad), std::invalid_argument) << bad.substr(0, 80);
    EXPECT_EQ(Image(), Stock());
    std::ofstream(image) << bad;
    testing::internal::CaptureStderr();
    winsim::ResetHostFromFile(image.string());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find(image.string()), std::string::npos) << said;
    EXPECT_EQ(OpenServiceW(OpenSCManagerW(nullptr, nullptr, GENERIC_READ), u"W3SVC", SERVICE_QUERY_STATUS), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
    EXPECT_EQ(Text(), bad);
    winsim::ResetHostToStock();
  }
}

TEST_F(HostTest, TheJournalIsKeptInMemoryOnlyWhileAskedFor) {
  winsim::KeepJournal(false);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  winsim::ResetHostToStock();
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  const auto kept = winsim::JournalLines().size();
  winsim::KeepJournal(true);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  EXPECT_EQ(kept, 0u) << "a reset does not turn it back on";
  EXPECT_EQ(CallNames(), std::vector<std::string>{"CoInitializeEx"});
}

// Faults count only the calls they match (by call, name or path, case
// ignored) and come before any effect; a faulted close still frees.
TEST_F(HostTest, PlannedFaultsCountTheirCallsAndComeBeforeAnyEffect) {
  Json image = Stock();
  image["faults"] = Json::parse(R"([{"call": "OpenServiceW", "name": "w3svc", "occurrence": 2, "status": 1450},
      {"call": "CloseServiceHandle", "status": 6}, {"call": "RegSetValueExW", "name": "IniFilePath", "status": 1453},
      {"call": "CloseKey", "status": 6}, {"call": "OpenKey", "path": "/lm/w3svc", "status": 5}])");
  Reset(image);
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, GENERIC_READ);
  const char16_t* names[] = {u"W3SVC", u"IISADMIN", u"W3SVC"};
  for (size_t i = 0; i < 3; ++i) {
    SC_HANDLE service = OpenServiceW(manager, names[i], SERVICE_QUERY_STATUS);
    EXPECT_EQ(service == nullptr, i == 2) << i;
    if (service) CloseServiceHandle(service);
  }
  EXPECT_EQ(Calls("OpenServiceW")[2]["lastError"], 1450);
  EXPECT_EQ(Calls("OpenServiceW")[2]["fault"], true);
  EXPECT_FALSE(CloseServiceHandle(manager));
  HKEY software = nullptr;
  RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE", 0, KEY_SET_VALUE, &software);
  const char16_t text[] = u"C:";
  EXPECT_EQ(RegSetValueExW(software, u"INIFILEPATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
            1453);
  EXPECT_TRUE(RegistryValueAt(Image(), "SOFTWARE", "IniFilePath").is_null());
  RegCloseKey(software);
  void* factory = nullptr;
  EXPECT_EQ(CoGetClassObject(CLSID_MSAdminBase_W, CLSCTX_SERVER, nullptr, IID_IClassFactory, &factory),
            CO_E_NOTINITIALIZED);
  CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  CoGetClassObject(CLSID_MSAdminBase_W, CLSCTX_SERVER, nullptr, IID_IClassFactory, &factory);
  IMSAdminBaseW* admin = nullptr;
  ASSERT_EQ(static_cast<IClassFactory*>(factory)->CreateInstance(nullptr, IID_IMSAdminBase_W,
                                                                 reinterpret_cast<void**>(&admin)),
            S_OK);
  static_cast<IClassFactory*>(factory)->Release();
  METADATA_HANDLE handle = 0;
  EXPECT_EQ(admin->OpenKey(0, u"/LM/W3SVC", METADATA_PERMISSION_READ, 0, &handle), 5);
  EXPECT_EQ(admin->OpenKey(0, u"/LM", METADATA_PERMISSION_READ, 0, &handle), S_OK);
  EXPECT_EQ(admin->CloseKey(handle), 6);
  admin->Release();
  // TearDown checks that every faulted close freed its handle.
}

}  // namespace
