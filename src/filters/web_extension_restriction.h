#pragma once

#include "platform.h"
#include "util/result_code.h"

// Allows one extension in the web service extension restriction list of
// "/LM/W3SVC": drops every entry whose text contains the extension path
// (case-sensitive, flags and description included), appends
// "1," + path + ",1," + description last, and saves. An absent list becomes
// that one entry; a read failing otherwise stops with its status, so a list
// that could not be read is never replaced. 1 without touching the host for
// an empty path (it is in every entry), or without a connection or the key;
// else the write's status, or SaveData's.
ResultCode UpdateWebExtensionRestrictionList(const WideString& description, const WideString& extensionPath);
