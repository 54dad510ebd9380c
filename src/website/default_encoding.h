#pragma once

#include "metabase/metabase_connection.h"
#include "util/result_code.h"

// The charset of the MIME map's HTML entries, on the default web site's ROOT
// key, falling back to "/LM/W3SVC" when the ROOT key does not serve.
// Matching is case-sensitive, by substring, as IIS stores the entries.

// The value of the first entry in stored order that contains ".htm" and
// "charset=", up to the next ";". The output is assigned only when one is
// found. 1 when there is no connection, no web site, or neither key yields a
// charset; a failed read's status is passed on.
ResultCode GetDefaultEncoding(WideString& charset);

// Drops every entry containing "*.htm" (a literal asterisk, so stored ".htm"
// entries stay), appends ".html" and ".htm" entries with the charset, and
// saves. A map that cannot be read is written with only the two new entries.
ResultCode SetDefaultEncoding(const WideString& charset);

// The steps on one key. 0 with the output unchanged when the read succeeds
// with no data; 1 when the key cannot be opened or no entry yields a charset.
ResultCode ReadCharsetFromMimeMap(MetabaseConnection& connection, const WideString& keyPath, WideString& charset);
// 1 when the key cannot be opened, else the status of the write.
ResultCode WriteCharsetToMimeMap(MetabaseConnection& connection, const WideString& keyPath, const WideString& charset);
