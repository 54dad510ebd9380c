#pragma once

#include "platform.h"
#include "util/result_code.h"

// Both publish `physicalPath` as "/" + name under the default web site's
// ROOT, creating the key when it is missing and rewriting their records in
// an existing one, then save the metabase. 1 when there is no connection, no
// web site or no key; else the first failing write's status, or SaveData's.
// Writes made before a failing one stay; nothing is saved after a failure.

// An ordinary directory that is also a pooled IIS application, browsable,
// with read and script access.
ResultCode CreateVirtualDirectory(const WideString& name, const WideString& physicalPath);

// A directory for the Jakarta redirector: read, script and execute access, no
// application of its own.
ResultCode CreateJakartaVirtualDirectory(const WideString& name, const WideString& physicalPath);
