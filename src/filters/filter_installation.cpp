#include "filters/filter_installation.h"

#include "metabase/default_web_site.h"
#include "metabase/metabase_key_holder.h"
#include "util/list_edits.h"

const WCHAR kFiltersKeyPath[] = TEXT("/LM/W3SVC/Filters");
const WCHAR kFiltersChildPath[] = TEXT("/Filters");

namespace {

const WCHAR kFiltersKeyType[] = TEXT("IIsFilters");
const WCHAR kFilterKeyType[] = TEXT("IIsFilter");

struct FilterKind {
  DWORD flags;
  const WCHAR* description;
};

const FilterKind kRedirectFilter = {SF_NOTIFY_AUTH_COMPLETE | SF_NOTIFY_ORDER_HIGH | SF_NOTIFY_PREPROC_HEADERS |
                                        SF_NOTIFY_NONSECURE_PORT | SF_NOTIFY_SECURE_PORT,
                                    TEXT("Jakarta/ISAPI/1.2.2")};
const FilterKind kPhpFilter = {SF_NOTIFY_PREPROC_HEADERS | SF_NOTIFY_AUTHENTICATION, TEXT("ISAPI")};

ResultCode CreateKeyOfType(MetabaseConnection& connection, const WideString& parentPath, const WideString& childPath,
                           const WCHAR* keyType) {
  if (!connection.IsValid()) return kFailure;
  MetabaseKeyHolder key(connection.OpenOrCreateKey(parentPath, childPath));
  if (!key.IsValid()) return kFailure;
  return key.Get()->WriteString(MD_KEY_TYPE, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER, keyType);
}

ResultCode SetFilterProperties(MetabaseConnection& connection, const WideString& filterKeyPath,
                               const WideString& imagePath, const FilterKind& kind) {
  if (!connection.IsValid()) return kFailure;
  MetabaseKeyHolder key(connection.OpenKey(filterKeyPath));
  if (!key.IsValid()) return kFailure;
  MetabaseKey& filter = *key.Get();
  ResultCode result = filter.WriteString(MD_FILTER_IMAGE_PATH, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER, imagePath);
  if (result == kSuccess) result = filter.WriteDword(MD_WIN32_ERROR, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER, 0);
  if (result == kSuccess)
    result = filter.WriteDword(MD_FILTER_FLAGS, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER, kind.flags);
  if (result == kSuccess) {
    result = filter.WriteString(MD_FILTER_DESCRIPTION, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER, kind.description);
  }
  return result;
}

}  // namespace

bool IsFilterName(const WideString& name) {
  return !name.empty() && name.size() < METADATA_MAX_NAME_LEN && name.find_first_of(TEXT(",/")) == WideString::npos;
}

ResultCode CreateFiltersKey(MetabaseConnection& connection, const WideString& parentPath, const WideString& childPath) {
  return CreateKeyOfType(connection, parentPath, childPath, kFiltersKeyType);
}

ResultCode CreateFilterKey(MetabaseConnection& connection, const WideString& parentPath, const WideString& childPath) {
  return CreateKeyOfType(connection, parentPath, childPath, kFilterKeyType);
}

ResultCode AddToFilterLoadOrder(MetabaseConnection& connection, const WideString& filtersKeyPath,
                                const WideString& name) {
  if (!connection.IsValid() || !IsFilterName(name)) return kFailure;
  MetabaseKeyHolder key(connection.OpenKey(filtersKeyPath));
  if (!key.IsValid()) return kFailure;
  WideString loadOrder;
  const ResultCode read =
      key.Get()->ReadString(MD_FILTER_LOAD_ORDER, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER, loadOrder);
  if (!IsEditableListRead(read)) return read;
  return key.Get()->WriteString(MD_FILTER_LOAD_ORDER, METADATA_NO_ATTRIBUTES, IIS_MD_UT_SERVER,
                                WithFilterInLoadOrder(loadOrder, name));
}

ResultCode SetRedirectFilterProperties(MetabaseConnection& connection, const WideString& filterKeyPath,
                                       const WideString& imagePath) {
  return SetFilterProperties(connection, filterKeyPath, imagePath, kRedirectFilter);
}

ResultCode SetPhpFilterProperties(MetabaseConnection& connection, const WideString& filterKeyPath,
                                  const WideString& imagePath) {
  return SetFilterProperties(connection, filterKeyPath, imagePath, kPhpFilter);
}

ResultCode InstallIsapiRedirectFilter(const WideString& name, const WideString& imagePath) {
  if (!IsFilterName(name)) return kFailure;
  MetabaseConnection connection;
  if (!connection.IsValid()) return kFailure;
  const WideString childPath = TEXT("/") + name;
  ResultCode result = CreateFiltersKey(connection, kWebServiceKeyPath, kFiltersChildPath);
  if (result == kSuccess) result = AddToFilterLoadOrder(connection, kFiltersKeyPath, name);
  if (result == kSuccess) result = CreateFilterKey(connection, kFiltersKeyPath, childPath);
  if (result == kSuccess) result = SetRedirectFilterProperties(connection, kFiltersKeyPath + childPath, imagePath);
  if (result == kSuccess) result = connection.AdminBase()->SaveData();
  return result;
}
