#pragma once

#include "metabase/metabase_connection.h"
#include "util/result_code.h"

// Installing one ISAPI filter: the filters key "/LM/W3SVC/Filters", the
// filter's name in its load order, the filter's own key and its records.
// Every operation opens its own key and closes it before it returns, and
// gives 1 when the connection is not usable or its key cannot be opened,
// else the status of its last write. Nothing written is ever undone.

// Whether a filter name can stand both as a load-order field and as one key
// name: 1 to 255 characters (the metabase's key name limit), no "," and no "/".
bool IsFilterName(const WideString& name);

// Opens parentPath + childPath, creating the child when it is missing, and
// writes its key type ("IIsFilters" or "IIsFilter") every time.
ResultCode CreateFiltersKey(MetabaseConnection& connection, const WideString& parentPath, const WideString& childPath);
ResultCode CreateFilterKey(MetabaseConnection& connection, const WideString& parentPath, const WideString& childPath);

// Writes the load order of an existing filters key with the name as a field
// (see WithFilterInLoadOrder), also when it was there already. An absent
// record is written with the name alone; a read failing otherwise stops here
// with its status, so a list that could not be read is never replaced. A name
// that IsFilterName refuses gives 1 and the key is not opened.
ResultCode AddToFilterLoadOrder(MetabaseConnection& connection, const WideString& filtersKeyPath,
                                const WideString& name);

// Write the image path (skipped when empty), Win32 error 0, the notification
// flags and the description of an existing filter key, in that order.
ResultCode SetRedirectFilterProperties(MetabaseConnection& connection, const WideString& filterKeyPath,
                                       const WideString& imagePath);
ResultCode SetPhpFilterProperties(MetabaseConnection& connection, const WideString& filterKeyPath,
                                  const WideString& imagePath);

// The whole sequence for the Jakarta redirector under `name`, then SaveData.
// 1 without touching the host when IsFilterName refuses the name; otherwise
// the first failing step's result, or the status of SaveData.
ResultCode InstallIsapiRedirectFilter(const WideString& name, const WideString& imagePath);

// "/LM/W3SVC/Filters", and its path below "/LM/W3SVC".
extern const WCHAR kFiltersKeyPath[];
extern const WCHAR kFiltersChildPath[];
