#pragma once

#include "platform.h"
#include "util/result_code.h"

// Replaces the newest version of the named backup with the metabase as it is
// now (a first backup of a name just writes one). 1 without a usable
// connection, else the status of Backup; a failed deletion is ignored.
ResultCode BackupMetabase(const WideString& name);

// Brings back the newest version of the named backup: 1 without a usable
// connection, else the status of Restore.
ResultCode RestoreMetabase(const WideString& name);
