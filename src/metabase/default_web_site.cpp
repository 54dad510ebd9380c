#include "metabase/default_web_site.h"

const WCHAR kWebServiceKeyPath[] = TEXT("/LM/W3SVC");

WideString SiteKeyPath(const WideString& siteName) { return kWebServiceKeyPath + WideString(TEXT("/")) + siteName; }

WideString RootKeyPath(const WideString& siteName) { return SiteKeyPath(siteName) + TEXT("/ROOT"); }
