#pragma once

#include "metabase/metabase_connection.h"

// Read-only questions about what InstallPhpModule left; every failure gives
// false, like a negative answer.

// Whether the filter "PHP" has exactly this image path (case-sensitive).
bool IsPhpFilterInstalled(const WideString& modulePath);

// Whether one of the key's script-map entries contains `extension` anywhere.
// `noData` becomes false once the key gave a list, found or not (a list of
// no entries included); it stays true when the key could not be opened or
// the read failed or gave no bytes.
bool HasScriptMapEntry(MetabaseConnection& connection, const WideString& keyPath, const WideString& extension,
                       bool& noData);

// Whether a ".php" entry maps at the default web site's root, or, only when
// that root gives no script maps at all, at "/LM/W3SVC". No site: false.
bool IsPhpEnabled();
