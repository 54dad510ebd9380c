#include "metabase/metabase_backup.h"

#include "metabase/metabase_connection.h"

ResultCode BackupMetabase(const WideString& name) {
  MetabaseConnection connection;
  if (!connection.IsValid()) return kFailure;
  connection.AdminBase()->DeleteBackup(name.c_str(), MD_BACKUP_HIGHEST_VERSION);
  return connection.AdminBase()->Backup(name.c_str(), MD_BACKUP_NEXT_VERSION, MD_BACKUP_OVERWRITE);
}

ResultCode RestoreMetabase(const WideString& name) {
  MetabaseConnection connection;
  if (!connection.IsValid()) return kFailure;
  return connection.AdminBase()->Restore(name.c_str(), MD_BACKUP_HIGHEST_VERSION, 0);
}
