#pragma once

#include "metabase/metabase_connection.h"
#include "util/result_code.h"

// Installing PHP's ISAPI module. Each step operation opens its own existing
// key (none is created) and closes it before it returns; it gives 1 when the
// connection is not usable or the key cannot be opened, else the status of
// its write. Failed reads are not reported: the list starts empty.

// Writes the access permissions, replacing the stored ones.
ResultCode SetAccessPermissions(MetabaseConnection& connection, const WideString& keyPath, DWORD permissions);

// Writes the default documents with `document` in them (see
// WithDefaultDocument), also when it was there already.
ResultCode AddDefaultDocument(MetabaseConnection& connection, const WideString& keyPath, const WideString& document);

// Writes the key's script maps without the entries that contain `extension`
// and with `entry` last; the others keep their order.
ResultCode ReplaceScriptMap(MetabaseConnection& connection, const WideString& keyPath, const WideString& extension,
                            const WideString& entry);

// The same at a site root, except that a root giving no script maps takes
// the web service key's list as its base. That list is only read; the root
// key is closed while the service key is open.
ResultCode ReplaceSiteScriptMap(MetabaseConnection& connection, const WideString& rootPath, const WideString& extension,
                                const WideString& entry);

// The filter "PHP" with the module as its image, then read, execute and
// script access, "index.php" and the ".php" script map on "/LM/W3SVC" and on
// the default web site's root (skipped when there is no site), then SaveData.
// Each step, the site's included, runs only while all before it gave 0, so a
// failure anywhere skips the rest and the save. 1 without touching the host
// for an empty module path.
ResultCode InstallPhpModule(const WideString& modulePath);

// ".php," + module path + ",5": the script-map entry for the module.
WideString PhpScriptMapEntry(const WideString& modulePath);

// The filter's name, its key and the extension it serves.
extern const WCHAR kPhpFilterName[];
extern const WCHAR kPhpFilterPath[];
extern const WCHAR kPhpExtension[];
