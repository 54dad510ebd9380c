#include "server_admin_base.h"

#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "server_objects.h"

namespace winsim {
namespace {

// A wide argument as the engine takes it; null stays null.
class EngineText {
 public:
  explicit EngineText(LPCWSTR text) : null_(!text) {
    if (text) text_.assign(text, text + std::wcslen(text));
  }
  const char16_t* Get() const { return null_ ? nullptr : text_.c_str(); }

 private:
  bool null_;
  std::u16string text_;
};

MetadataRecord ToEngine(const METADATA_RECORD& record) {
  return {record.dwMDIdentifier, record.dwMDAttributes, record.dwMDUserType,
          record.dwMDDataType,   record.dwMDDataLen,    record.pbMDData};
}

// No C++ exception may cross the COM boundary.
template <typename Work>
HRESULT Guarded(Work work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace

ServerAdminBase::ServerAdminBase(std::shared_ptr<ServerMetabase> metabase)
    : metabase_(std::move(metabase)), engine_(*metabase_->Engine()) {
  ServerObjects::Add();
}

ServerAdminBase::~ServerAdminBase() { ServerObjects::Remove(); }

HRESULT ServerAdminBase::QueryInterface(REFIID riid, void** object) {
  if (!object) return E_POINTER;
  if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IMSAdminBase_W)) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  *object = static_cast<IMSAdminBaseW*>(this);
  return S_OK;
}

ULONG ServerAdminBase::AddRef() { return ++references_; }

ULONG ServerAdminBase::Release() {
  const ULONG remaining = --references_;
  // A planned fault frees the reference all the same.
  const auto fault = metabase_->Events().PlannedFault("Release", nullptr, nullptr);
  metabase_->Events().Journal("Release", {{"object", "adminBase"}},
                              fault ? static_cast<int32_t>(*fault) : static_cast<int32_t>(remaining),
                              fault.has_value());
  if (remaining == 0) delete this;
  return remaining;
}

HRESULT ServerAdminBase::AddKey(METADATA_HANDLE handle, LPCWSTR path) {
  return Guarded([&] { return engine_.AddKey(handle, EngineText(path).Get()); });
}

HRESULT ServerAdminBase::EnumKeys(METADATA_HANDLE handle, LPCWSTR path, LPWSTR name, DWORD index) {
  return Guarded([&] {
    std::vector<char16_t> child(METADATA_MAX_NAME_LEN, 0);
    const HRESULT result = engine_.EnumKeys(handle, EngineText(path).Get(), name ? child.data() : nullptr, index);
    if (result == S_OK) {
      size_t i = 0;
      for (; child[i] != 0; ++i) name[i] = static_cast<WCHAR>(child[i]);
      name[i] = 0;
    }
    return result;
  });
}

HRESULT ServerAdminBase::SetData(METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record) {
  return Guarded([&] {
    if (!record) return static_cast<HRESULT>(engine_.SetData(handle, EngineText(path).Get(), nullptr));
    const MetadataRecord converted = ToEngine(*record);
    return static_cast<HRESULT>(engine_.SetData(handle, EngineText(path).Get(), &converted));
  });
}

HRESULT ServerAdminBase::GetData(METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record, DWORD* requiredLength) {
  return Guarded([&] {
    uint32_t required = requiredLength ? *requiredLength : 0;
    uint32_t* requiredOut = requiredLength ? &required : nullptr;
    if (!record) {
      const HRESULT result = engine_.GetData(handle, EngineText(path).Get(), nullptr, requiredOut);
      if (requiredLength) *requiredLength = required;
      return result;
    }
    MetadataRecord converted = ToEngine(*record);
    const HRESULT result = engine_.GetData(handle, EngineText(path).Get(), &converted, requiredOut);
    if (requiredLength) *requiredLength = required;
    record->dwMDAttributes = converted.attributes;
    record->dwMDUserType = converted.userType;
    record->dwMDDataType = converted.dataType;
    record->dwMDDataLen = converted.dataLength;
    return result;
  });
}

HRESULT ServerAdminBase::OpenKey(METADATA_HANDLE handle, LPCWSTR path, DWORD access, DWORD timeout,
                                 PMETADATA_HANDLE newHandle) {
  return Guarded([&] {
    uint32_t opened = 0;
    const HRESULT result =
        engine_.OpenKey(handle, EngineText(path).Get(), access, timeout, newHandle ? &opened : nullptr);
    if (newHandle) *newHandle = opened;
    return result;
  });
}

HRESULT ServerAdminBase::CloseKey(METADATA_HANDLE handle) {
  return Guarded([&] { return engine_.CloseKey(handle); });
}

HRESULT ServerAdminBase::SaveData() {
  return Guarded([&] { return engine_.SaveData(); });
}

HRESULT ServerAdminBase::Backup(LPCWSTR name, DWORD version, DWORD flags) {
  return Guarded([&] { return engine_.Backup(EngineText(name).Get(), version, flags); });
}

HRESULT ServerAdminBase::Restore(LPCWSTR name, DWORD version, DWORD flags) {
  return Guarded([&] { return engine_.Restore(EngineText(name).Get(), version, flags); });
}

HRESULT ServerAdminBase::DeleteBackup(LPCWSTR name, DWORD version) {
  return Guarded([&] { return engine_.DeleteBackup(EngineText(name).Get(), version); });
}

}  // namespace winsim
