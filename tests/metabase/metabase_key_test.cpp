#include "metabase/metabase_key.h"

#include <gtest/gtest.h>

#include "metabase/metabase_connection.h"
#include "metabase/metabase_key_holder.h"
#include "support/host_fixture.h"
#include "support/metabase_image.h"

namespace {

constexpr int32_t kDataNotFound = static_cast<int32_t>(0x800CC801);

class MetabaseKeyTest : public HostTest {};

TEST_F(MetabaseKeyTest, ReadRecordAsksForTheSizeThenReadsIntoABufferOfIt) {
  MetabaseConnection connection;
  MetabaseKeyHolder key(connection.OpenKey(TEXT("/LM/W3SVC/1/ROOT")));
  BYTE* buffer = nullptr;
  DWORD length = 0;
  ASSERT_EQ(key.Get()->ReadRecord(MD_VR_PATH, METADATA_INHERIT, IIS_MD_UT_FILE, STRING_METADATA, buffer, length), 0);
  EXPECT_EQ(length, 38u);
  EXPECT_EQ(WideString(reinterpret_cast<WCHAR*>(buffer)), TEXT("C:\\Inetpub\\wwwroot"));
  delete[] buffer;
  const auto reads = Calls("GetData");
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0]["length"], 0);
  EXPECT_EQ(reads[0]["requiredLength"], 38);
  EXPECT_EQ(reads[1]["length"], 38);
  EXPECT_EQ(reads[1]["path"], "/");
}

TEST_F(MetabaseKeyTest, AMissingRecordGivesThePlatformStatusAndNoBuffer) {
  MetabaseConnection connection;
  MetabaseKeyHolder key(connection.OpenKey(TEXT("/LM/W3SVC")));
  BYTE* buffer = reinterpret_cast<BYTE*>(&connection);
  DWORD length = 7;
  EXPECT_EQ(key.Get()->ReadRecord(MD_VR_PATH, METADATA_NO_ATTRIBUTES, IIS_MD_UT_FILE, STRING_METADATA, buffer, length),
            kDataNotFound);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(length, 0u);
  WideString text = TEXT("kept");
  EXPECT_EQ(key.Get()->ReadString(MD_VR_PATH, METADATA_NO_ATTRIBUTES, IIS_MD_UT_FILE, text), kDataNotFound);
  EXPECT_EQ(text, TEXT("kept"));
}

TEST_F(MetabaseKeyTest, AnInvalidKeyWritesNothingAndAnswersAsEachWriteSays) {
  MetabaseConnection connection;
  MetabaseKey key(0, &connection);
  EXPECT_FALSE(key.IsValid());
  EXPECT_EQ(key.WriteString(MD_VR_PATH, METADATA_INHERIT, IIS_MD_UT_FILE, TEXT("x")), 0);
  EXPECT_EQ(key.WriteDword(MD_ACCESS_PERM, METADATA_INHERIT, IIS_MD_UT_FILE, 1), 1);
  BYTE* buffer = nullptr;
  DWORD length = 9;
  EXPECT_EQ(key.ReadRecord(MD_VR_PATH, 0, 0, 0, buffer, length), 1);
  EXPECT_EQ(length, 9u) << "untouched";
  EXPECT_TRUE(Calls("SetData").empty());
  EXPECT_TRUE(Calls("GetData").empty());
}

}  // namespace
