#include "metabase/metabase_connection.h"

#include <new>

#include "metabase/default_web_site.h"
#include "metabase/metabase_key_holder.h"

namespace {

constexpr DWORD kOpenTimeoutMilliseconds = 1000;
constexpr DWORD kReadWrite = METADATA_PERMISSION_READ | METADATA_PERMISSION_WRITE;
const WCHAR kWebServerKeyType[] = TEXT("IIsWebServer");

bool IsWebServer(MetabaseKey& key) {
  WideString keyType;
  key.ReadString(MD_KEY_TYPE, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER, keyType);
  return keyType == kWebServerKeyType;
}

}  // namespace

MetabaseConnection::MetabaseConnection() {
  classStatus_ = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (classStatus_ != S_OK && classStatus_ != S_FALSE) return;
  classStatus_ = CoGetClassObject(CLSID_MSAdminBase_W, CLSCTX_SERVER, nullptr, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory_));
  if (classStatus_ != S_OK || factory_ == nullptr) return;
  instanceStatus_ = factory_->CreateInstance(nullptr, IID_IMSAdminBase_W, reinterpret_cast<void**>(&adminBase_));
}

MetabaseConnection::~MetabaseConnection() {
  if (instanceStatus_ == S_OK && adminBase_ != nullptr) adminBase_->Release();
  if (classStatus_ == S_OK && factory_ != nullptr) factory_->Release();
}

bool MetabaseConnection::IsValid() const {
  return instanceStatus_ == S_OK && classStatus_ == S_OK && adminBase_ != nullptr && factory_ != nullptr;
}

METADATA_HANDLE MetabaseConnection::OpenHandle(const WideString& path) {
  METADATA_HANDLE handle = 0;
  const HRESULT status =
      adminBase_->OpenKey(METADATA_MASTER_ROOT_HANDLE, path.c_str(), kReadWrite, kOpenTimeoutMilliseconds, &handle);
  return status == S_OK ? handle : 0;
}

MetabaseKey* MetabaseConnection::AdoptHandle(METADATA_HANDLE handle) {
  if (handle == 0) return nullptr;
  auto* key = new (std::nothrow) MetabaseKey(handle, this);
  if (key == nullptr) adminBase_->CloseKey(handle);  // nothing may keep it open
  return key;
}

MetabaseKey* MetabaseConnection::OpenKey(const WideString& path) {
  if (!IsValid()) return nullptr;
  return AdoptHandle(OpenHandle(path));
}

MetabaseKey* MetabaseConnection::OpenOrCreateKey(const WideString& parentPath, const WideString& childPath) {
  if (!IsValid()) return nullptr;
  const WideString fullPath = parentPath + childPath;
  if (METADATA_HANDLE handle = OpenHandle(fullPath)) return AdoptHandle(handle);
  const METADATA_HANDLE parent = OpenHandle(parentPath);
  if (parent == 0) return nullptr;
  const HRESULT added = adminBase_->AddKey(parent, childPath.c_str());
  adminBase_->CloseKey(parent);
  if (added != S_OK) return nullptr;
  return AdoptHandle(OpenHandle(fullPath));
}

bool MetabaseConnection::FindDefaultWebSite(WideString& siteName) {
  if (!IsValid()) return false;
  for (DWORD index = 0;; ++index) {
    WCHAR name[METADATA_MAX_NAME_LEN] = {};
    if (adminBase_->EnumKeys(METADATA_MASTER_ROOT_HANDLE, kWebServiceKeyPath, name, index) != S_OK) return false;
    MetabaseKeyHolder candidate(OpenKey(SiteKeyPath(name)));
    if (candidate.IsValid() && IsWebServer(*candidate.Get())) {
      siteName = name;
      return true;
    }
  }
}
