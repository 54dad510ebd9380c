#pragma once

#include "platform.h"

// PHP's "IniFilePath" under HKEY_LOCAL_MACHINE\SOFTWARE\PHP. Nothing is reported.

// Creates the key when missing and writes the location; other values stay.
void CreatePhpIniRegistryEntries(const WideString& iniLocation);

// Deletes the whole key with every value in it, unless it has subkeys.
void RemovePhpIniRegistryEntries();
