// The metabase engine as an in-process COM server for the Windows tests: Wine has none.
#include <windows.h>

// The one definition of the admin base GUIDs in the server.
// clang-format off
#include <initguid.h>
#include <iadmw.h>
// clang-format on

#include <cstdio>
#include <mutex>
#include <stdexcept>

#include "admin_base.h"
#include "codec.h"

namespace winsim {
namespace {

// Tests set it with SetEnvironmentVariableW, which the C runtime's copy never sees.
std::string Environment(const wchar_t* name) {
  wchar_t value[32768];
  const DWORD length = GetEnvironmentVariableW(name, value, 32768);
  if (length == 0 || length >= 32768) return {};
  return ToUtf8(std::u16string(value, value + length));
}

// The "iis" part of WINSIM_HOST's image (or the stock one), its faults and
// journal; written back, only that part of the file as it is then changes.
class ServerMetabase final : public Site {
 public:
  ServerMetabase() : imagePath_(Environment(L"WINSIM_HOST")) {
    journalFile_ = Environment(L"WINSIM_JOURNAL");
    try {
      const auto text = ReadFileText(imagePath_);
      loaded_ = Json::parse(text ? *text : StockImageText());
      CheckDepth(loaded_);
      if (!loaded_.is_object() || loaded_.value("winsim", Json()) != 1) Invalid("the image", "\"winsim\" is not 1");
      const double scale = TimeoutScale(loaded_);
      Reset(FaultPlan(ArrayField(loaded_, "faults", "the image")));
      if (loaded_.contains("iis") && !loaded_["iis"].is_null())
        engine = std::make_shared<MetabaseEngine>(loaded_["iis"], scale);
    } catch (const std::exception& e) {
      // As on a bare machine: no IIS, and the file is left alone.
      std::fprintf(stderr, "winsim: %s is not a host image (%s); no IIS\n", imagePath_.c_str(), e.what());
      engine.reset();
    }
  }

  void Persist(Site::Call&, const MetabaseEngine& metabase) override {
    if (imagePath_.empty()) return;
    ReplaceFile(imagePath_, [&] {
      Json image = loaded_;
      if (const auto text = ReadFileText(imagePath_)) {
        Json current = Json::parse(*text, nullptr, false);
        try {
          CheckDepth(current);
          if (current.is_object()) image = std::move(current);
        } catch (const std::invalid_argument&) {  // too deep to write back: what was loaded instead
        }
      }
      if (!image["iis"].is_object()) image["iis"] = loaded_.value("iis", Json::object());
      return ComposeImage(image, &metabase);
    });
  }

  std::shared_ptr<MetabaseEngine> engine;  // null when the image has no IIS or is not an image at all

 private:
  const std::string imagePath_;
  Json loaded_;
};

// Objects share one metabase while any lives; after that, the next activation loads afresh.
std::mutex currentMutex;
std::weak_ptr<ServerMetabase> current;

}  // namespace
}  // namespace winsim

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_MSAdminBase_W)) return CLASS_E_CLASSNOTAVAILABLE;
  if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
  try {
    std::lock_guard<std::mutex> lock(winsim::currentMutex);
    auto metabase = winsim::current.lock();
    if (!metabase) winsim::current = metabase = std::make_shared<winsim::ServerMetabase>();
    // An image without IIS: the class is as good as unregistered.
    if (!metabase->engine) return REGDB_E_CLASSNOTREG;
    *object = static_cast<IClassFactory*>(new winsim::ClassFactory(metabase, metabase->engine));
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

STDAPI DllCanUnloadNow() {
  std::lock_guard<std::mutex> lock(winsim::currentMutex);
  return winsim::current.expired() && winsim::ClassFactory::locks == 0 ? S_OK : S_FALSE;
}
