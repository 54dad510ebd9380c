#include "metabase/metabase_backup.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "website/virtual_directory.h"

namespace {

class MetabaseBackupTest : public HostTest {};

TEST_F(MetabaseBackupTest, ABackupReplacesTheNewestVersionAndRestoreBringsItBack) {
  EXPECT_EQ(BackupMetabase(u"clean"), kSuccess);
  EXPECT_EQ(Calls("DeleteBackup")[0]["version"], 0xFFFFFFFEu);
  EXPECT_EQ(Calls("DeleteBackup")[0]["result"], static_cast<int32_t>(0x80070002)) << "nothing to delete, ignored";
  EXPECT_EQ(Calls("Backup")[0]["version"], 0xFFFFFFFFu);
  EXPECT_EQ(Calls("Backup")[0]["flags"], 1);
  EXPECT_EQ(BackupMetabase(u"clean"), kSuccess);
  ASSERT_EQ(Image()["iis"]["backups"].size(), 1u) << "replaced, not piled up";
  EXPECT_EQ(Image()["iis"]["backups"][0]["version"], 0);
  ASSERT_EQ(CreateVirtualDirectory(u"gone", u"C:\\gone"), kSuccess);
  EXPECT_EQ(RestoreMetabase(u"clean"), kSuccess);
  EXPECT_EQ(Calls("Restore")[0]["version"], 0xFFFFFFFEu);
  EXPECT_EQ(Image()["iis"]["metabase"], Stock()["iis"]["metabase"]);
}

}  // namespace
