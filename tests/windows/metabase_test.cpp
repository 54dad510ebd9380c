#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "codec.h"
#include "support/host_image.h"
#include "support/virtual_directory_records.h"
#include "windows/library.h"

namespace {

const char16_t kPhpModule[] = u"C:\\PHP\\php5isapi.dll";
const wchar_t kServerClassKey[] = L"Software\\Classes\\CLSID\\{A9E69610-B80D-11D0-B9B9-00A0C922E750}";
const wchar_t kServerModule[] = L"metabase_server.dll";

// The server's own count of objects handed out and not yet released; an
// unloaded server has none.
bool ServerIdle() {
  const HMODULE server = GetModuleHandleW(kServerModule);
  if (!server) return true;
  const auto canUnload =
      reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(reinterpret_cast<void*>(GetProcAddress(server, "DllCanUnloadNow")));
  return canUnload && canUnload() == S_OK;
}

// iisconfigure.dll reaching the metabase through real COM activation of our
// test server, registered in the prefix for the admin base class; its state
// is the image file named by WINSIM_HOST.
class MetabaseTest : public LibraryTest {
 protected:
  const std::wstring imagePath = BesideTests(L"windows-metabase-image.json");
  const Json stock = Json::parse(winsim::StockImageText());

  void SetUp() override {
    LibraryTest::SetUp();
    Register();
    SetEnvironmentVariableW(L"WINSIM_HOST", imagePath.c_str());
    Reset(stock);
  }
  void TearDown() override {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kServerClassKey);
    SetEnvironmentVariableW(L"WINSIM_HOST", nullptr);
    for (const std::wstring& file : {imagePath, imagePath + L".lock"}) DeleteFileW(file.c_str());
    LibraryTest::TearDown();
  }

  static void Register() {
    const std::wstring key = std::wstring(kServerClassKey) + L"\\InprocServer32";
    const std::wstring server = BesideTests(kServerModule);
    ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, REG_SZ, server.c_str(),
                              static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"ThreadingModel", REG_SZ, L"Both", sizeof L"Both");
  }
  void Reset(const Json& image) {
    std::ofstream(std::filesystem::path(imagePath), std::ios::binary | std::ios::trunc) << image.dump(2);
  }
  Json Image() const {
    std::ifstream in(std::filesystem::path(imagePath), std::ios::binary);
    return Json::parse(in);
  }

  // What a method answered: "true", "false", its text, "null", or "-" when it
  // returns nothing; the server must be idle after every call.
  std::string Said(jboolean flag) { return flag ? "true" : "false"; }
  std::string Said(jstring text) {
    const std::u16string made = text ? fake.Made(text) : u"null";
    return std::string(made.begin(), made.end());
  }
  template <typename Method, typename... Args>
  std::string Answer(Method method, Args... args) {
    std::string answer = "-";
    if constexpr (std::is_void_v<decltype(method(fake.Env(), nullptr, args...))>) {
      method(fake.Env(), nullptr, args...);
    } else {
      answer = Said(method(fake.Env(), nullptr, args...));
    }
    EXPECT_TRUE(ServerIdle()) << "objects of the metabase server alive";
    return answer;
  }
  struct Method {
    const char* name;
    const char* answer;
    std::string (*call)(MetabaseTest& t);
  };
#define METHOD(answer, name, ...)                                                                             \
  Method {                                                                                                    \
    "" #name, answer, [](MetabaseTest& t) { return t.Answer(NATIVE_METHOD(t.library, name), ##__VA_ARGS__); } \
  }
  // Every metabase method and its answer once the earlier ones have run.
  static std::vector<Method> Methods() {
    return {METHOD("true", jniBackupMetabase, t.Text(u"b")),
            METHOD("true", jniRestoreMetabase, t.Text(u"b")),
            METHOD("true", jniCreateVirtualDirectory, t.Text(kDirectoryName), t.Text(kDirectoryPath)),
            METHOD("true", jniCreateJakartaVirtualDirectory, t.Text(u"j"), t.Text(kDirectoryPath)),
            METHOD("true", jniStartDefaultWebsite),
            METHOD("C:\\Inetpub\\wwwroot", jniGetDocumentRootPath),
            METHOD("-", jniSetDefaultEncoding, t.Text(u"utf-8")),
            METHOD("utf-8", jniGetDefaultEncoding),
            METHOD("true", jniInstallIsapiRedirectFilter, t.Text(u"jakarta"), t.Text(u"C:\\jk\\isapi_redirect.dll")),
            METHOD("true", jniInstallVantoraPHPModule, t.Text(kPhpModule)),
            METHOD("true", jniIsVantoraPHPInstalled, t.Text(kPhpModule)),
            METHOD("true", jniIsPHPEnabled),
            METHOD("-", jniUpateWebExRestrictionList, t.Text(u"PHP,PHP ISAPI"), t.Text(kPhpModule))};
  }
#undef METHOD
};

// The server holds neither the filter load order nor the restriction list:
// it answers with the data-not-found status of the Windows headers, and the
// methods that edit them start each list.
TEST_F(MetabaseTest, EveryMethodAnswersThroughRealActivation) {
  Reset(WithoutRecord(WithoutRecord(stock, "/LM/W3SVC/Filters", 2040), "/LM/W3SVC", 2168));
  for (const auto& method : Methods()) EXPECT_EQ(method.call(*this), method.answer) << method.name;
  // The records land under the identifiers and types of the Windows headers.
  const Json after = Image();
  EXPECT_EQ((*ImageKey(after, "/LM/W3SVC/1/ROOT/jk"))["records"], DirectoryRecords(false));
  EXPECT_EQ(Value(after, "/LM/W3SVC/Filters", 2040), "jakarta,PHP");
  EXPECT_EQ(Value(after, "/LM/W3SVC", 2168), Json{"1,C:\\PHP\\php5isapi.dll,1,PHP,PHP ISAPI"});
}

// Without a usable server every method fails before touching the metabase:
// with the class not registered, on a thread in a single-threaded apartment,
// where the library cannot join the multithreaded one, and with an image
// nested too deep to be one, which the server leaves as it was.
TEST_F(MetabaseTest, EveryMethodFailsWithoutAUsableServer) {
  std::string deep = stock.dump();
  deep.replace(deep.size() - 1, 1, R"(, "note": )" + std::string(2000, '[') + std::string(2000, ']') + "}");
  for (const int setup : {0, 1, 2}) {
    const bool singleThreadedApartment = setup == 1;
    if (setup == 0) RegDeleteTreeW(HKEY_LOCAL_MACHINE, kServerClassKey);
    if (setup == 2) std::ofstream(std::filesystem::path(imagePath), std::ios::binary) << deep;
    for (const auto& method : Methods()) {
      std::string answer;
      std::thread([&] {
        const HRESULT initialised =
            singleThreadedApartment ? CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) : E_FAIL;
        answer = method.call(*this);
        if (SUCCEEDED(initialised)) CoUninitialize();
      }).join();
      EXPECT_TRUE(answer == "false" || answer == "null" || answer == "-") << setup << method.name;
    }
    EXPECT_EQ(Image(), setup == 2 ? Json::parse(deep) : stock);
    Register();
  }
}

}  // namespace
