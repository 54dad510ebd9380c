#include "filters/php_detection.h"

#include "filters/php_module.h"
#include "metabase/default_web_site.h"
#include "metabase/metabase_key_holder.h"
#include "metabase/record_buffer.h"
#include "util/multi_string.h"
#include "util/string_list.h"

bool IsPhpFilterInstalled(const WideString& modulePath) {
  MetabaseConnection connection;
  if (!connection.IsValid()) return false;
  MetabaseKeyHolder key(connection.OpenKey(kPhpFilterPath));
  if (!key.IsValid()) return false;
  WideString imagePath;
  if (key.Get()->ReadString(MD_FILTER_IMAGE_PATH, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER, imagePath) != kSuccess) {
    return false;
  }
  return imagePath == modulePath;
}

bool HasScriptMapEntry(MetabaseConnection& connection, const WideString& keyPath, const WideString& extension,
                       bool& noData) {
  noData = true;
  if (!connection.IsValid()) return false;
  MetabaseKeyHolder key(connection.OpenKey(keyPath));
  if (!key.IsValid()) return false;
  RecordBuffer buffer;
  const ResultCode read = key.Get()->ReadRecord(MD_SCRIPT_MAPS, METADATA_INHERIT, IIS_MD_UT_FILE, MULTISZ_METADATA,
                                                buffer.data, buffer.length);
  if (read != kSuccess || !buffer.HasData()) return false;
  noData = false;
  StringList entries;
  MultiStringToList(entries, reinterpret_cast<const WCHAR*>(buffer.data), buffer.length);
  for (const auto& entry : entries) {
    if (entry.find(extension) != WideString::npos) return true;
  }
  return false;
}

bool IsPhpEnabled() {
  MetabaseConnection connection;
  WideString siteName;
  if (!connection.IsValid() || !connection.FindDefaultWebSite(siteName)) return false;
  bool noData = true;
  if (HasScriptMapEntry(connection, RootKeyPath(siteName), kPhpExtension, noData)) return true;
  return noData && HasScriptMapEntry(connection, kWebServiceKeyPath, kPhpExtension, noData);
}
