#pragma once

#include "platform.h"

// The machine-wide "Path" and "PHPRC", kept in the registry under
// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Session Manager\Environment.
// "Contains" is a case-sensitive substring search; "Path" is always written
// back as REG_EXPAND_SZ. Nothing is reported. An empty directory would be
// contained in every text, so both operations leave the machine alone for it.

// Sets "PHPRC" to the directory and puts the directory in front of "Path"
// unless "Path" already contains it; after a successful write of "Path",
// tells running programs that the environment changed.
void AddPathToEnvironment(const WideString& directory);

// Drops every "Path" entry that contains the directory, and the empty ones.
// "PHPRC" stays; nothing is broadcast. A missing "Path" is not written.
void RemovePathFromEnvironment(const WideString& directory);
