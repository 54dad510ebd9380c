#include "metabase/metabase_backup.h"

#include <gtest/gtest.h>

#include "support/host_fixture.h"
#include "support/metabase_image.h"
#include "website/virtual_directory.h"

namespace {

constexpr int32_t kFileNotFound = static_cast<int32_t>(0x80070002);
constexpr int32_t kInvalidArgument = static_cast<int32_t>(0x80070057);

class MetabaseBackupTest : public HostTest {
 protected:
  static std::vector<int> Versions(const std::string& name) {
    std::vector<int> versions;
    const Json image = Image();
    for (const auto& backup : image["iis"]["backups"]) {
      if (backup["name"] == name) versions.push_back(backup["version"]);
    }
    return versions;
  }
};

TEST_F(MetabaseBackupTest, DeletesTheNewestVersionThenWritesTheNext) {
  EXPECT_EQ(BackupMetabase(TEXT("before")), kSuccess);
  const auto deletes = Calls("DeleteBackup");
  ASSERT_EQ(deletes.size(), 1u);
  EXPECT_EQ(deletes[0]["name"], "before");
  EXPECT_EQ(deletes[0]["version"], 0xFFFFFFFEu);
  EXPECT_EQ(deletes[0]["result"], kFileNotFound) << "nothing to delete yet, ignored";
  const auto backups = Calls("Backup");
  EXPECT_EQ(backups[0]["version"], 0xFFFFFFFFu);
  EXPECT_EQ(backups[0]["flags"], 1);
  EXPECT_EQ(Versions("before"), std::vector<int>{0});
  EXPECT_EQ(BackupMetabase(TEXT("before")), kSuccess);
  EXPECT_EQ(Versions("before"), std::vector<int>{0}) << "replaced, not piled up";
  EXPECT_TRUE(Calls("SaveData").empty());
}

TEST_F(MetabaseBackupTest, RestoreBringsBackTheBackedUpMetabase) {
  ASSERT_EQ(BackupMetabase(TEXT("clean")), kSuccess);
  ASSERT_EQ(CreateVirtualDirectory(TEXT("gone"), TEXT("C:\\gone")), kSuccess);
  ASSERT_NE(ImageKey(Image(), "/LM/W3SVC/1/ROOT/gone"), nullptr);
  EXPECT_EQ(RestoreMetabase(TEXT("clean")), kSuccess);
  const auto restores = Calls("Restore");
  EXPECT_EQ(restores[0]["version"], 0xFFFFFFFEu);
  EXPECT_EQ(restores[0]["flags"], 0);
  EXPECT_EQ(ImageKey(Image(), "/LM/W3SVC/1/ROOT/gone"), nullptr);
  EXPECT_EQ(Image()["iis"]["metabase"], Stock()["iis"]["metabase"]);
}

TEST_F(MetabaseBackupTest, PlatformFailuresAreTheResult) {
  EXPECT_EQ(RestoreMetabase(TEXT("never made")), kFileNotFound);
  EXPECT_EQ(BackupMetabase(TEXT("a/b")), kInvalidArgument);
  EXPECT_EQ(BackupMetabase(WideString(101, WCHAR('x'))), kInvalidArgument);
  Json sta = Stock();
  sta["caller"]["comApartment"] = "STA";
  Reset(sta);
  EXPECT_EQ(BackupMetabase(TEXT("x")), kFailure);
  EXPECT_EQ(RestoreMetabase(TEXT("x")), kFailure);
  EXPECT_TRUE(Calls("Backup").empty());
}

}  // namespace
