#pragma once

#include "platform.h"

// "/LM/W3SVC", the web service key.
extern const WCHAR kWebServiceKeyPath[];

// "/LM/W3SVC/" + site name.
WideString SiteKeyPath(const WideString& siteName);
// "/LM/W3SVC/" + site name + "/ROOT".
WideString RootKeyPath(const WideString& siteName);
