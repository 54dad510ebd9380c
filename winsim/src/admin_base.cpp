#include "admin_base.h"

#include <cstdio>
#include <new>

namespace winsim {

AdminBase::AdminBase(std::shared_ptr<Site> site, std::shared_ptr<MetabaseEngine> engine)
    : ComObject(std::move(site), IID_IMSAdminBase_W, "adminBase"), engine_(std::move(engine)) {}

template <typename Work>
HRESULT AdminBase::Run(const char* name, Work work) {
  try {
    Site::Call call(*site_, name);
    const HRESULT result = work(call);
    call.Finish(result);
    return result;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// Each call the library makes, passed to the engine under one site call.
#define FORWARD(Method, Parameters, ...)                                                         \
  HRESULT AdminBase::Method Parameters {                                                         \
    return Run(#Method, [&](Site::Call& call) { return engine_->Method(call, ##__VA_ARGS__); }); \
  }
FORWARD(AddKey, (METADATA_HANDLE handle, LPCWSTR path), handle, path)
FORWARD(EnumKeys, (METADATA_HANDLE handle, LPCWSTR path, LPWSTR name, DWORD index), handle, path, name, index)
FORWARD(SetData, (METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record), handle, path, record)
FORWARD(GetData, (METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record, DWORD* required), handle, path, record,
        required)
FORWARD(OpenKey, (METADATA_HANDLE handle, LPCWSTR path, DWORD access, DWORD timeout, PMETADATA_HANDLE opened), handle,
        path, access, timeout, opened)
FORWARD(CloseKey, (METADATA_HANDLE handle), handle)
FORWARD(SaveData, ())
FORWARD(Backup, (LPCWSTR name, DWORD version, DWORD flags), name, version, flags)
FORWARD(Restore, (LPCWSTR name, DWORD version, DWORD flags), name, version, flags)
FORWARD(DeleteBackup, (LPCWSTR name, DWORD version), name, version)
#undef FORWARD

std::atomic<long> ClassFactory::locks{0};

ClassFactory::ClassFactory(std::shared_ptr<Site> site, std::shared_ptr<MetabaseEngine> engine)
    : ComObject(std::move(site), IID_IClassFactory, "classFactory"), engine_(std::move(engine)) {}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  HRESULT result = S_OK;
  {
    Site::Call call(*site_, "CreateInstance");
    if (call.Journaling()) call.Set("iid", GuidText(riid));
    if (auto fault = call.Fault()) {
      result = static_cast<HRESULT>(*fault);
    } else if (!object) {
      result = E_POINTER;
    } else if (outer) {
      result = CLASS_E_NOAGGREGATION;
    } else if (!IsEqualIID(riid, IID_IMSAdminBase_W) && !IsEqualIID(riid, IID_IUnknown)) {
      result = E_NOINTERFACE;
    }
    if (object) *object = nullptr;
    call.Finish(result);
  }
  // Made outside the call: the new object counts itself under the site's lock.
  if (result == S_OK) *object = static_cast<IMSAdminBaseW*>(new (std::nothrow) AdminBase(site_, engine_));
  return result != S_OK ? result : *object ? S_OK : E_OUTOFMEMORY;
}

HRESULT ClassFactory::LockServer(WINBOOL lock) {
  locks += lock ? 1 : -1;
  return S_OK;
}

std::string GuidText(REFGUID guid) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
                guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  return text;
}

}  // namespace winsim
