#include "website/web_site_start.h"

#include "metabase/default_web_site.h"
#include "metabase/metabase_connection.h"
#include "metabase/metabase_key_holder.h"

ResultCode StartDefaultWebSite() {
  MetabaseConnection connection;
  if (!connection.IsValid()) return kFailure;
  connection.AdminBase()->SaveData();
  WideString siteName;
  if (!connection.FindDefaultWebSite(siteName)) return kFailure;
  MetabaseKeyHolder key(connection.OpenKey(SiteKeyPath(siteName)));
  if (!key.IsValid()) return kFailure;
  return key.Get()->WriteDword(MD_SERVER_COMMAND, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER, MD_SERVER_COMMAND_START);
}
