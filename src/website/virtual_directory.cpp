#include "website/virtual_directory.h"

#include <functional>

#include "metabase/default_web_site.h"
#include "metabase/metabase_key_holder.h"

namespace {

const WCHAR kVirtualDirKeyType[] = TEXT("IIsWebVirtualDir");

constexpr DWORD kPooledProcess = 2;
constexpr DWORD kBrowsing = MD_DIRBROW_ENABLED | MD_DIRBROW_LOADDEFAULT | MD_DIRBROW_SHOW_DATE | MD_DIRBROW_SHOW_TIME |
                            MD_DIRBROW_SHOW_SIZE | MD_DIRBROW_SHOW_EXTENSION | MD_DIRBROW_LONG_DATE;
constexpr DWORD kReadScript = MD_ACCESS_READ | MD_ACCESS_SCRIPT;
constexpr DWORD kReadScriptExecute = MD_ACCESS_READ | MD_ACCESS_EXECUTE | MD_ACCESS_SCRIPT;

using WriteRecords = std::function<ResultCode(MetabaseKey& key, const WideString& keyPath)>;

// Each write runs only while every one before it returned 0.
template <typename... Writes>
ResultCode InOrder(Writes... writes) {
  ResultCode result = kSuccess;
  ((result = result == kSuccess ? writes() : result), ...);
  return result;
}

ResultCode CreateDirectory(const WideString& name, const WriteRecords& writeRecords) {
  MetabaseConnection connection;
  if (!connection.IsValid()) return kFailure;
  WideString siteName;
  if (!connection.FindDefaultWebSite(siteName)) return kFailure;
  const WideString rootPath = RootKeyPath(siteName);
  const WideString childPath = TEXT("/") + name;
  ResultCode result = kFailure;
  {
    MetabaseKeyHolder key(connection.OpenOrCreateKey(rootPath, childPath));
    if (!key.IsValid()) return kFailure;
    result = writeRecords(*key.Get(), rootPath + childPath);
  }
  // The key is closed before the save, which waits for open write handles.
  if (result == kSuccess) result = connection.AdminBase()->SaveData();
  return result;
}

}  // namespace

ResultCode CreateVirtualDirectory(const WideString& name, const WideString& physicalPath) {
  return CreateDirectory(name, [&](MetabaseKey& key, const WideString& keyPath) {
    return InOrder(
        [&] { return key.WriteString(MD_KEY_TYPE, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER, kVirtualDirKeyType); },
        [&] { return key.WriteDword(MD_WIN32_ERROR, METADATA_INHERIT, IIS_MD_UT_SERVER, 0); },
        [&] { return key.WriteString(MD_APP_FRIENDLY_NAME, METADATA_INHERIT, IIS_MD_UT_WAM, name); },
        [&] { return key.WriteString(MD_APP_ROOT, METADATA_INHERIT, IIS_MD_UT_FILE, keyPath); },
        [&] { return key.WriteDword(MD_APP_ISOLATED, METADATA_INHERIT, IIS_MD_UT_WAM, kPooledProcess); },
        [&] { return key.WriteString(MD_VR_PATH, METADATA_INHERIT, IIS_MD_UT_FILE, physicalPath); },
        [&] { return key.WriteDword(MD_DIRECTORY_BROWSING, METADATA_INHERIT, IIS_MD_UT_FILE, kBrowsing); },
        [&] { return key.WriteDword(MD_ACCESS_PERM, METADATA_INHERIT, IIS_MD_UT_FILE, kReadScript); });
  });
}

ResultCode CreateJakartaVirtualDirectory(const WideString& name, const WideString& physicalPath) {
  return CreateDirectory(name, [&](MetabaseKey& key, const WideString&) {
    return InOrder(
        [&] { return key.WriteString(MD_KEY_TYPE, METADATA_INHERIT, IIS_MD_UT_FILE, kVirtualDirKeyType); },
        [&] { return key.WriteDword(MD_WIN32_ERROR, METADATA_INHERIT, IIS_MD_UT_SERVER, 0); },
        [&] { return key.WriteString(MD_VR_PATH, METADATA_INHERIT, IIS_MD_UT_FILE, physicalPath); },
        [&] { return key.WriteDword(MD_ACCESS_PERM, METADATA_INHERIT, IIS_MD_UT_FILE, kReadScriptExecute); });
  });
}
