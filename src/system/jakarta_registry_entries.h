#pragma once

#include "platform.h"

// The redirector's configuration under HKEY_LOCAL_MACHINE\SOFTWARE\Apache
// Software Foundation\Jakarta Isapi Redirector\1.0. Nothing is reported.

// Builds the key chain and writes the five values into its last key; when
// any key of the chain cannot be created, nothing is written. Other values
// of an existing configuration stay.
void CreateJakartaRegistryEntries(const WideString& logFile, const WideString& workerFile,
                                  const WideString& workerMountFile, const WideString& extensionFileName);

// Deletes the chain from the deepest key up; a key that still has subkeys
// stays, and so does every key above it.
void RemoveJakartaRegistryEntries();
