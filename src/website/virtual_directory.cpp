#include "website/virtual_directory.h"

#include "metabase/default_web_site.h"
#include "metabase/metabase_connection.h"
#include "metabase/metabase_key_holder.h"

namespace {

const WCHAR kVirtualDirKeyType[] = TEXT("IIsWebVirtualDir");

constexpr DWORD kPooledProcess = 2;
constexpr DWORD kBrowsing = MD_DIRBROW_ENABLED | MD_DIRBROW_LOADDEFAULT | MD_DIRBROW_SHOW_DATE | MD_DIRBROW_SHOW_TIME |
                            MD_DIRBROW_SHOW_SIZE | MD_DIRBROW_SHOW_EXTENSION | MD_DIRBROW_LONG_DATE;
constexpr DWORD kReadScript = MD_ACCESS_READ | MD_ACCESS_SCRIPT;
constexpr DWORD kReadScriptExecute = MD_ACCESS_READ | MD_ACCESS_EXECUTE | MD_ACCESS_SCRIPT;

ResultCode WriteOrdinaryRecords(MetabaseKey& key, const WideString& name, const WideString& keyPath,
                                const WideString& physicalPath) {
  ResultCode result = key.WriteString(MD_KEY_TYPE, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER, kVirtualDirKeyType);
  if (result == kSuccess) result = key.WriteDword(MD_WIN32_ERROR, METADATA_INHERIT, IIS_MD_UT_SERVER, 0);
  if (result == kSuccess) result = key.WriteString(MD_APP_FRIENDLY_NAME, METADATA_INHERIT, IIS_MD_UT_WAM, name);
  if (result == kSuccess) result = key.WriteString(MD_APP_ROOT, METADATA_INHERIT, IIS_MD_UT_FILE, keyPath);
  if (result == kSuccess) result = key.WriteDword(MD_APP_ISOLATED, METADATA_INHERIT, IIS_MD_UT_WAM, kPooledProcess);
  if (result == kSuccess) result = key.WriteString(MD_VR_PATH, METADATA_INHERIT, IIS_MD_UT_FILE, physicalPath);
  if (result == kSuccess) result = key.WriteDword(MD_DIRECTORY_BROWSING, METADATA_INHERIT, IIS_MD_UT_FILE, kBrowsing);
  if (result == kSuccess) result = key.WriteDword(MD_ACCESS_PERM, METADATA_INHERIT, IIS_MD_UT_FILE, kReadScript);
  return result;
}

ResultCode WriteJakartaRecords(MetabaseKey& key, const WideString&, const WideString&, const WideString& physicalPath) {
  ResultCode result = key.WriteString(MD_KEY_TYPE, METADATA_INHERIT, IIS_MD_UT_FILE, kVirtualDirKeyType);
  if (result == kSuccess) result = key.WriteDword(MD_WIN32_ERROR, METADATA_INHERIT, IIS_MD_UT_SERVER, 0);
  if (result == kSuccess) result = key.WriteString(MD_VR_PATH, METADATA_INHERIT, IIS_MD_UT_FILE, physicalPath);
  if (result == kSuccess) result = key.WriteDword(MD_ACCESS_PERM, METADATA_INHERIT, IIS_MD_UT_FILE, kReadScriptExecute);
  return result;
}

using WriteRecords = ResultCode (*)(MetabaseKey& key, const WideString& name, const WideString& keyPath,
                                    const WideString& physicalPath);

ResultCode PublishDirectory(const WideString& name, const WideString& physicalPath, WriteRecords writeRecords) {
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
    result = writeRecords(*key.Get(), name, rootPath + childPath, physicalPath);
  }
  // The key is closed before the save, which waits for open write handles.
  if (result == kSuccess) result = connection.AdminBase()->SaveData();
  return result;
}

}  // namespace

ResultCode CreateVirtualDirectory(const WideString& name, const WideString& physicalPath) {
  return PublishDirectory(name, physicalPath, WriteOrdinaryRecords);
}

ResultCode CreateJakartaVirtualDirectory(const WideString& name, const WideString& physicalPath) {
  return PublishDirectory(name, physicalPath, WriteJakartaRecords);
}
