#include "website/document_root.h"

#include "metabase/default_web_site.h"
#include "metabase/metabase_connection.h"
#include "metabase/metabase_key_holder.h"

ResultCode GetDocumentRootPath(WideString& path) {
  MetabaseConnection connection;
  if (!connection.IsValid()) return kFailure;
  WideString siteName;
  if (!connection.FindDefaultWebSite(siteName)) return kFailure;
  MetabaseKeyHolder key(connection.OpenKey(RootKeyPath(siteName)));
  if (!key.IsValid()) return kFailure;
  return key.Get()->ReadString(MD_VR_PATH, METADATA_INHERIT, IIS_MD_UT_FILE, path);
}
