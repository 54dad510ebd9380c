#include "admin_base_face.h"

#include <new>
#include <string>
#include <vector>

namespace winsim {
namespace {

// A wide argument as the engine takes it (WCHAR is wchar_t on Windows); null stays null.
class EngineText {
 public:
  explicit EngineText(LPCWSTR text) : null_(!text) {
    if (text) text_.assign(text, text + std::char_traits<WCHAR>::length(text));
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

template <typename Work>
HRESULT Guarded(Work work) {
  try {
    return static_cast<HRESULT>(work());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace

HRESULT AdminBaseFace::AddKey(METADATA_HANDLE handle, LPCWSTR path) {
  return Guarded([&] { return engine_.AddKey(handle, EngineText(path).Get()); });
}

HRESULT AdminBaseFace::EnumKeys(METADATA_HANDLE handle, LPCWSTR path, LPWSTR name, DWORD index) {
  return Guarded([&] {
    std::vector<char16_t> child(METADATA_MAX_NAME_LEN, 0);
    const int32_t result = engine_.EnumKeys(handle, EngineText(path).Get(), name ? child.data() : nullptr, index);
    if (result == S_OK) {
      size_t i = 0;
      for (; child[i] != 0; ++i) name[i] = static_cast<WCHAR>(child[i]);
      name[i] = 0;
    }
    return result;
  });
}

HRESULT AdminBaseFace::SetData(METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record) {
  return Guarded([&] {
    if (!record) return engine_.SetData(handle, EngineText(path).Get(), nullptr);
    const MetadataRecord converted = ToEngine(*record);
    return engine_.SetData(handle, EngineText(path).Get(), &converted);
  });
}

HRESULT AdminBaseFace::GetData(METADATA_HANDLE handle, LPCWSTR path, PMETADATA_RECORD record, DWORD* requiredLength) {
  return Guarded([&] {
    uint32_t required = requiredLength ? *requiredLength : 0;
    uint32_t* requiredOut = requiredLength ? &required : nullptr;
    MetadataRecord converted = record ? ToEngine(*record) : MetadataRecord{};
    const int32_t result = engine_.GetData(handle, EngineText(path).Get(), record ? &converted : nullptr, requiredOut);
    if (requiredLength) *requiredLength = required;
    if (record) {
      record->dwMDAttributes = converted.attributes;
      record->dwMDUserType = converted.userType;
      record->dwMDDataType = converted.dataType;
      record->dwMDDataLen = converted.dataLength;
    }
    return result;
  });
}

HRESULT AdminBaseFace::OpenKey(METADATA_HANDLE handle, LPCWSTR path, DWORD access, DWORD timeout,
                               PMETADATA_HANDLE newHandle) {
  return Guarded([&] {
    uint32_t opened = 0;
    const int32_t result =
        engine_.OpenKey(handle, EngineText(path).Get(), access, timeout, newHandle ? &opened : nullptr);
    if (newHandle) *newHandle = opened;
    return result;
  });
}

HRESULT AdminBaseFace::CloseKey(METADATA_HANDLE handle) {
  return Guarded([&] { return engine_.CloseKey(handle); });
}

HRESULT AdminBaseFace::SaveData() {
  return Guarded([&] { return engine_.SaveData(); });
}

HRESULT AdminBaseFace::Backup(LPCWSTR name, DWORD version, DWORD flags) {
  return Guarded([&] { return engine_.Backup(EngineText(name).Get(), version, flags); });
}

HRESULT AdminBaseFace::Restore(LPCWSTR name, DWORD version, DWORD flags) {
  return Guarded([&] { return engine_.Restore(EngineText(name).Get(), version, flags); });
}

HRESULT AdminBaseFace::DeleteBackup(LPCWSTR name, DWORD version) {
  return Guarded([&] { return engine_.DeleteBackup(EngineText(name).Get(), version); });
}

}  // namespace winsim
