#include <windows.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "stock_image.h"
#include "support/metabase_image.h"
#include "support/virtual_directory_records.h"
#include "windows/library.h"

namespace {

const char16_t kPhpModule[] = u"C:\\PHP\\php5isapi.dll";

const wchar_t kServerClassKey[] = L"Software\\Classes\\CLSID\\{A9E69610-B80D-11D0-B9B9-00A0C922E750}";
const wchar_t kServerModule[] = L"metabase_server.dll";
constexpr int32_t kAccessDenied = static_cast<int32_t>(0x80070005);

std::string ReadText(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// What a metabase method reported.
enum class Outcome { kSucceeded, kFailed, kNothing };

// iisconfigure.dll reaching the metabase through real COM activation of our
// test server, registered in the prefix for the admin base class; its state
// is the image file named by WINSIM_HOST.
class MetabaseTest : public LibraryTest {
 protected:
  const std::wstring imagePath = BesideTests(L"windows-metabase-image.json");
  const std::wstring journalPath = BesideTests(L"windows-metabase-journal.jsonl");

  void SetUp() override {
    LibraryTest::SetUp();
    Register();
    SetEnvironmentVariableW(L"WINSIM_HOST", imagePath.c_str());
    SetEnvironmentVariableW(L"WINSIM_JOURNAL", journalPath.c_str());
    Reset(Stock());
  }
  void TearDown() override {
    ExpectServerIdle();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kServerClassKey);
    SetEnvironmentVariableW(L"WINSIM_HOST", nullptr);
    SetEnvironmentVariableW(L"WINSIM_JOURNAL", nullptr);
    for (const std::wstring& file : {imagePath, imagePath + L".lock", journalPath}) DeleteFileW(file.c_str());
    LibraryTest::TearDown();
  }

  static void Register() {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (std::wstring(kServerClassKey) + L"\\InprocServer32").c_str(), 0,
                              nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::wstring server = BesideTests(kServerModule);
    const wchar_t model[] = L"Both";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(server.c_str()),
                   static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
    RegSetValueExW(key, L"ThreadingModel", 0, REG_SZ, reinterpret_cast<const BYTE*>(model), sizeof model);
    RegCloseKey(key);
  }

  static Json Stock() { return Json::parse(winsim::StockImageText()); }
  void Reset(const Json& image) {
    std::ofstream(std::filesystem::path(imagePath), std::ios::binary | std::ios::trunc) << image.dump(2);
    DeleteFileW(journalPath.c_str());
  }
  Json Image() const { return Json::parse(ReadText(imagePath)); }
  std::vector<Json> Journal() const {
    std::vector<Json> lines;
    std::stringstream text(ReadText(journalPath));
    for (std::string line; std::getline(text, line);) lines.push_back(Json::parse(line));
    return lines;
  }
  std::vector<Json> Writes() const {
    std::vector<Json> writes;
    for (auto& line : Journal()) {
      if (line["call"] == "SetData") writes.push_back(line);
    }
    return writes;
  }

  // The server's own count of objects handed out and not yet released; an
  // unloaded server has none.
  static void ExpectServerIdle() {
    const HMODULE server = GetModuleHandleW(kServerModule);
    if (!server) return;
    const auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(server, "DllCanUnloadNow")));
    EXPECT_EQ(canUnload ? canUnload() : E_FAIL, S_OK) << "objects of the metabase server alive";
  }

  // One call of a native method, then the check that the server is idle.
  template <typename Method, typename... Args>
  auto Call(Method method, Args... args) {
    using Result = decltype(method(fake.Env(), nullptr, args...));
    if (!method) {
      ADD_FAILURE() << "method not exported";
      return Result();
    }
    struct Idle {
      ~Idle() { ExpectServerIdle(); }
    } idle;
    return method(fake.Env(), nullptr, args...);
  }
  // What a method reported: a flag, a string or null, or nothing.
  template <typename Method, typename... Args>
  Outcome Try(Method method, Args... args) {
    if constexpr (std::is_void_v<decltype(method(fake.Env(), nullptr, args...))>) {
      Call(method, args...);
      return Outcome::kNothing;
    } else {
      return Call(method, args...) ? Outcome::kSucceeded : Outcome::kFailed;
    }
  }
  jstring Text(const std::u16string& text) { return fake.String(text); }

  struct Method {
    const char* name;
    Outcome (*call)(MetabaseTest& t);
  };
#define METHOD(name, ...)                                                                          \
  Method {                                                                                         \
    "" #name, [](MetabaseTest& t) { return t.Try(NATIVE_METHOD(t.library, name), ##__VA_ARGS__); } \
  }
  // Every metabase method, each with arguments that work on the stock image
  // once the earlier ones have run.
  static std::vector<Method> Methods() {
    return {METHOD(jniBackupMetabase, t.Text(u"b")),
            METHOD(jniRestoreMetabase, t.Text(u"b")),
            METHOD(jniCreateVirtualDirectory, t.Text(u"v"), t.Text(u"C:\\v")),
            METHOD(jniCreateJakartaVirtualDirectory, t.Text(u"j"), t.Text(u"C:\\j")),
            METHOD(jniStartDefaultWebsite),
            METHOD(jniGetDocumentRootPath),
            METHOD(jniSetDefaultEncoding, t.Text(u"utf-8")),
            METHOD(jniGetDefaultEncoding),
            METHOD(jniInstallIsapiRedirectFilter, t.Text(u"jakarta"), t.Text(u"C:\\jk\\isapi_redirect.dll")),
            METHOD(jniInstallVantoraPHPModule, t.Text(kPhpModule)),
            METHOD(jniIsVantoraPHPInstalled, t.Text(kPhpModule)),
            METHOD(jniIsPHPEnabled),
            METHOD(jniUpateWebExRestrictionList, t.Text(u"PHP,PHP ISAPI"), t.Text(kPhpModule))};
  }
#undef METHOD
};

TEST_F(MetabaseTest, EveryMethodWorksThroughRealActivation) {
  for (const auto& method : Methods()) {
    EXPECT_NE(method.call(*this), Outcome::kFailed) << method.name;
  }
  const Json image = Image();
  EXPECT_NE(ImageKey(image, "/LM/W3SVC/1/ROOT/v"), nullptr);
  EXPECT_NE(ImageKey(image, "/LM/W3SVC/1/ROOT/j"), nullptr);
  EXPECT_EQ(image["iis"]["backups"][0]["name"], "b");
  EXPECT_EQ((*ImageRecord(image, "/LM/W3SVC/Filters", 2040))["value"], "jakarta,PHP");
  EXPECT_EQ((*ImageRecord(image, "/LM/W3SVC/Filters/PHP", 2041))["value"], "C:\\PHP\\php5isapi.dll");
  const Json& restrictions = (*ImageRecord(image, "/LM/W3SVC", 2168))["value"];
  EXPECT_EQ(restrictions.back(), "1,C:\\PHP\\php5isapi.dll,1,PHP,PHP ISAPI");
  const Json& scriptMaps = (*ImageRecord(image, "/LM/W3SVC/1/ROOT", 6014))["value"];
  EXPECT_EQ(scriptMaps.back(), ".php,C:\\PHP\\php5isapi.dll,5");
  // The start command is written once and not saved.
  int starts = 0;
  for (auto write : Writes()) starts += write["id"] == 1012 && write["hex"] == "01000000" && write["result"] == 0;
  EXPECT_EQ(starts, 1);
  EXPECT_EQ(ImageRecord(image, "/LM/W3SVC/1", 1012), nullptr);
  // The backup taken first holds the stock metabase.
  EXPECT_EQ(Call(NATIVE_METHOD(library, jniRestoreMetabase), Text(u"b")), JNI_TRUE);
  EXPECT_EQ(Image()["iis"]["metabase"], Stock()["iis"]["metabase"]);
  EXPECT_EQ(Call(NATIVE_METHOD(library, jniRestoreMetabase), Text(u"missing")), JNI_FALSE);
}

TEST_F(MetabaseTest, VirtualDirectoriesAreSavedWithTheirRecords) {
  const struct {
    const char* name;
    jboolean(JNICALL* method)(JNIEnv*, jclass, jstring, jstring);
    bool jakarta;
  } kinds[] = {{"ordinary", NATIVE_METHOD(library, jniCreateVirtualDirectory), false},
               {"jakarta", NATIVE_METHOD(library, jniCreateJakartaVirtualDirectory), true}};
  for (const auto& kind : kinds) {
    Reset(Stock());
    EXPECT_EQ(Call(kind.method, Text(kDirectoryName), Text(kDirectoryPath)), JNI_TRUE) << kind.name;
    const Json image = Image();
    const Json* key = ImageKey(image, "/LM/W3SVC/1/ROOT/jk");
    ASSERT_NE(key, nullptr) << kind.name;
    EXPECT_EQ((*key)["records"], DirectoryRecords(kind.jakarta)) << kind.name;
    // The server journals as the simulated host does.
    const std::vector<Json> writes = Writes();
    ASSERT_EQ(writes.size(), DirectoryRecords(kind.jakarta).size()) << kind.name;
    for (size_t i = 0; i < writes.size(); ++i) {
      EXPECT_EQ(writes[i]["length"], DirectoryRecordLength(DirectoryRecords(kind.jakarta)[i])) << kind.name;
      EXPECT_EQ(writes[i]["result"], 0);
    }
  }
}

TEST_F(MetabaseTest, DocumentRootAndEncodingAreReadAndWritten) {
  const jstring root = Call(NATIVE_METHOD(library, jniGetDocumentRootPath));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(fake.Made(root), u"C:\\Inetpub\\wwwroot");
  EXPECT_EQ(Call(NATIVE_METHOD(library, jniGetDefaultEncoding)), nullptr) << "a fresh server has no charset";
  Call(NATIVE_METHOD(library, jniSetDefaultEncoding), Text(u"utf-8"));
  EXPECT_EQ((*ImageRecord(Image(), "/LM/W3SVC/1/ROOT", 6015))["value"],
            (Json{".html,text/html;charset=utf-8", ".htm,text/html;charset=utf-8"}));
  const jstring charset = Call(NATIVE_METHOD(library, jniGetDefaultEncoding));
  ASSERT_NE(charset, nullptr);
  EXPECT_EQ(fake.Made(charset), u"utf-8");
}

TEST_F(MetabaseTest, APlannedFaultFromTheImageFailsTheCallAndIsJournalled) {
  Reset(WithFault(Stock(), {{"call", "SaveData"}, {"status", kAccessDenied}}));
  EXPECT_EQ(Call(NATIVE_METHOD(library, jniCreateVirtualDirectory), Text(u"v"), Text(u"C:\\v")), JNI_FALSE);
  EXPECT_EQ(Image()["iis"]["metabase"], Stock()["iis"]["metabase"]) << "nothing saved";
  const auto lines = Journal();
  ASSERT_FALSE(lines.empty());
  const Json& save = lines[lines.size() - 3];
  EXPECT_EQ(save["call"], "SaveData");
  EXPECT_EQ(save["result"], kAccessDenied);
  EXPECT_EQ(save["fault"], true);
  EXPECT_EQ(lines[lines.size() - 2]["object"], "adminBase");
  EXPECT_EQ(lines.back()["object"], "classFactory");
  EXPECT_EQ(lines.back()["result"], 0);
}

// Without a usable server every method fails before touching the metabase.
TEST_F(MetabaseTest, EveryMethodFailsWithoutAUsableServer) {
  Json noIis = Stock();
  noIis["iis"] = nullptr;
  const struct {
    const char* what;
    Json image;
    bool registered;
    bool singleThreadedApartment;
  } cases[] = {
      {"server not registered", Stock(), false, false},
      {"no IIS in the image", noIis, true, false},
      {"not an image", Json{{"winsim", 2}}, true, false},
      {"thread in a single-threaded apartment", Stock(), true, true},
  };
  for (const auto& c : cases) {
    Reset(c.image);
    if (!c.registered) RegDeleteTreeW(HKEY_LOCAL_MACHINE, kServerClassKey);
    for (const auto& method : Methods()) {
      Outcome outcome = Outcome::kSucceeded;
      if (c.singleThreadedApartment) {
        std::thread caller([&] {
          if (CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) != S_OK) return;
          outcome = method.call(*this);
          CoUninitialize();
        });
        caller.join();
      } else {
        outcome = method.call(*this);
      }
      EXPECT_NE(outcome, Outcome::kSucceeded) << c.what << ": " << method.name;
    }
    EXPECT_EQ(Image(), c.image) << c.what;
    if (!c.registered) Register();
  }
}

}  // namespace
