#include "metabase/default_web_site.h"

#include "metabase/metabase_key_holder.h"

const WCHAR kWebServiceKeyPath[] = TEXT("/LM/W3SVC");

namespace {

const WCHAR kWebServerKeyType[] = TEXT("IIsWebServer");

bool IsWebServer(MetabaseKey& key) {
  WideString keyType;
  key.ReadString(MD_KEY_TYPE, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER, keyType);
  return keyType == kWebServerKeyType;
}

}  // namespace

WideString SiteKeyPath(const WideString& siteName) { return kWebServiceKeyPath + WideString(TEXT("/")) + siteName; }

WideString RootKeyPath(const WideString& siteName) { return SiteKeyPath(siteName) + TEXT("/ROOT"); }

bool MetabaseConnection::FindDefaultWebSite(WideString& siteName) {
  if (!IsValid()) return false;
  for (DWORD index = 0;; ++index) {
    WCHAR name[METADATA_MAX_NAME_LEN] = {};
    if (adminBase_->EnumKeys(METADATA_MASTER_ROOT_HANDLE, kWebServiceKeyPath, name, index) != S_OK) {
      return false;
    }
    MetabaseKeyHolder candidate(OpenKey(SiteKeyPath(name)));
    if (candidate.IsValid() && IsWebServer(*candidate.Get())) {
      siteName = name;
      return true;
    }
  }
}
