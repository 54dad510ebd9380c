#include "filters/php_module.h"

#include "filters/filter_installation.h"
#include "metabase/default_web_site.h"
#include "metabase/metabase_key_holder.h"
#include "metabase/record_buffer.h"
#include "util/list_edits.h"

const WCHAR kPhpFilterName[] = TEXT("PHP");
const WCHAR kPhpFilterPath[] = TEXT("/LM/W3SVC/Filters/PHP");
const WCHAR kPhpExtension[] = TEXT(".php");

namespace {

const WCHAR kIndexDocument[] = TEXT("index.php");

constexpr DWORD kReadExecuteScript = MD_ACCESS_READ | MD_ACCESS_EXECUTE | MD_ACCESS_SCRIPT;
static_assert((MD_SCRIPTMAPFLAG_SCRIPT | MD_SCRIPTMAPFLAG_CHECK_PATH_INFO) == 5, "the flags field below");
const WCHAR kScriptMapFlagsField[] = TEXT(",5");

ResultCode ReadScriptMaps(MetabaseKey& key, RecordBuffer& buffer) {
  return key.ReadRecord(MD_SCRIPT_MAPS, METADATA_INHERIT, IIS_MD_UT_FILE, MULTISZ_METADATA, buffer.data, buffer.length);
}

ResultCode WriteScriptMaps(MetabaseKey& key, const RecordBuffer& buffer) {
  if (!buffer.HasData()) return kFailure;
  return key.WriteRecord(MD_SCRIPT_MAPS, METADATA_INHERIT, IIS_MD_UT_FILE, MULTISZ_METADATA, buffer.data,
                         buffer.length);
}

}  // namespace

WideString PhpScriptMapEntry(const WideString& modulePath) {
  return kPhpExtension + (TEXT(",") + modulePath) + kScriptMapFlagsField;
}

ResultCode SetAccessPermissions(MetabaseConnection& connection, const WideString& keyPath, DWORD permissions) {
  if (!connection.IsValid()) return kFailure;
  MetabaseKeyHolder key(connection.OpenKey(keyPath));
  if (!key.IsValid()) return kFailure;
  return key.Get()->WriteDword(MD_ACCESS_PERM, METADATA_INHERIT, IIS_MD_UT_FILE, permissions);
}

ResultCode AddDefaultDocument(MetabaseConnection& connection, const WideString& keyPath, const WideString& document) {
  if (!connection.IsValid()) return kFailure;
  MetabaseKeyHolder key(connection.OpenKey(keyPath));
  if (!key.IsValid()) return kFailure;
  WideString documents;
  key.Get()->ReadString(MD_DEFAULT_LOAD_FILE, METADATA_INHERIT, IIS_MD_UT_FILE, documents);
  return key.Get()->WriteString(MD_DEFAULT_LOAD_FILE, METADATA_INHERIT, IIS_MD_UT_FILE,
                                WithDefaultDocument(documents, document));
}

ResultCode ReplaceScriptMap(MetabaseConnection& connection, const WideString& keyPath, const WideString& extension,
                            const WideString& entry) {
  if (!connection.IsValid()) return kFailure;
  MetabaseKeyHolder key(connection.OpenKey(keyPath));
  if (!key.IsValid()) return kFailure;
  RecordBuffer buffer;
  ReadScriptMaps(*key.Get(), buffer);
  ReplaceEntriesContaining(extension, entry, buffer.data, buffer.length);
  return WriteScriptMaps(*key.Get(), buffer);
}

ResultCode ReplaceSiteScriptMap(MetabaseConnection& connection, const WideString& rootPath, const WideString& extension,
                                const WideString& entry) {
  if (!connection.IsValid()) return kFailure;
  MetabaseKeyHolder key(connection.OpenKey(rootPath));
  if (!key.IsValid()) return kFailure;
  RecordBuffer buffer;
  ReadScriptMaps(*key.Get(), buffer);
  key.Reset();
  // A failed read leaves no buffer, so HasData covers it too.
  if (!buffer.HasData()) {
    MetabaseKeyHolder service(connection.OpenKey(kWebServiceKeyPath));
    if (service.IsValid()) ReadScriptMaps(*service.Get(), buffer);
  }
  key = MetabaseKeyHolder(connection.OpenKey(rootPath));
  if (!key.IsValid()) return kFailure;
  ReplaceEntriesContaining(extension, entry, buffer.data, buffer.length);
  return WriteScriptMaps(*key.Get(), buffer);
}

ResultCode InstallPhpModule(const WideString& modulePath) {
  if (modulePath.empty()) return kFailure;
  MetabaseConnection connection;
  if (!connection.IsValid()) return kFailure;
  const WideString entry = PhpScriptMapEntry(modulePath);
  // Every step, the site's included, runs only while all before it gave 0.
  ResultCode result = CreateFiltersKey(connection, kWebServiceKeyPath, kFiltersChildPath);
  if (result == kSuccess) result = AddToFilterLoadOrder(connection, kFiltersKeyPath, kPhpFilterName);
  if (result == kSuccess) result = CreateFilterKey(connection, kFiltersKeyPath, TEXT("/") + WideString(kPhpFilterName));
  if (result == kSuccess) result = SetPhpFilterProperties(connection, kPhpFilterPath, modulePath);
  if (result == kSuccess) result = SetAccessPermissions(connection, kWebServiceKeyPath, kReadExecuteScript);
  if (result == kSuccess) result = AddDefaultDocument(connection, kWebServiceKeyPath, kIndexDocument);
  if (result == kSuccess) result = ReplaceScriptMap(connection, kWebServiceKeyPath, kPhpExtension, entry);
  WideString siteName;
  if (result == kSuccess && connection.FindDefaultWebSite(siteName)) {
    const WideString rootPath = RootKeyPath(siteName);
    result = SetAccessPermissions(connection, rootPath, kReadExecuteScript);
    if (result == kSuccess) result = AddDefaultDocument(connection, rootPath, kIndexDocument);
    if (result == kSuccess) result = ReplaceSiteScriptMap(connection, rootPath, kPhpExtension, entry);
  }
  if (result == kSuccess) result = connection.AdminBase()->SaveData();
  return result;
}
