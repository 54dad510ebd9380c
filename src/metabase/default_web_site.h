#pragma once

#include "metabase/metabase_connection.h"

// The key name under "/LM/W3SVC" of the first child, in enumeration order,
// whose key type is exactly "IIsWebServer". Children that cannot be opened
// or have no readable key type are passed over; the search ends at the
// first index the enumeration refuses. The name is assigned only on true.
bool FindDefaultWebSite(MetabaseConnection& connection, WideString& siteName);

// "/LM/W3SVC/" + site name.
WideString SiteKeyPath(const WideString& siteName);
// "/LM/W3SVC/" + site name + "/ROOT".
WideString RootKeyPath(const WideString& siteName);

// "/LM/W3SVC", the web service key.
extern const WCHAR kWebServiceKeyPath[];
