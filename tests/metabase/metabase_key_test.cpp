#include "metabase/metabase_key.h"

#include <gtest/gtest.h>

#include <atomic>
#include <new>

#include "metabase/metabase_connection.h"
#include "metabase/metabase_key_holder.h"
#include "support/host_fixture.h"

// Keys and record buffers are allocated with the non-throwing forms; these
// let a test make those allocations fail.
namespace {
std::atomic<bool> refuseNothrow{false};

template <void* (*allocate)(std::size_t)>
void* Allocate(std::size_t size) noexcept {
  try {
    return refuseNothrow ? nullptr : allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate < ::operator new>(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate < ::operator new[]>(size); }

namespace {

constexpr int32_t kDataNotFound = static_cast<int32_t>(0x800CC801);
constexpr int32_t kInsufficientBuffer = static_cast<int32_t>(0x8007007A);

class MetabaseKeyTest : public HostTest {};

TEST_F(MetabaseKeyTest, ReadRecordAsksForTheSizeThenReadsIntoABufferOfIt) {
  MetabaseConnection connection;
  MetabaseKeyHolder key(connection.OpenKey(u"/LM/W3SVC/1/ROOT"));
  BYTE* buffer = nullptr;
  DWORD length = 0;
  ASSERT_EQ(key.Get()->ReadRecord(MD_VR_PATH, METADATA_INHERIT, IIS_MD_UT_FILE, STRING_METADATA, buffer, length), 0);
  EXPECT_EQ(length, 38u);
  EXPECT_EQ(WideString(reinterpret_cast<WCHAR*>(buffer)), u"C:\\Inetpub\\wwwroot");
  delete[] buffer;
  const auto reads = Calls("GetData");
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0]["length"], 0);
  EXPECT_EQ(reads[1]["length"], 38);
  EXPECT_EQ(reads[1]["path"], "/");
}

TEST_F(MetabaseKeyTest, AFailedReadGivesItsStatusAndNoBuffer) {
  MetabaseConnection connection;
  MetabaseKeyHolder key(connection.OpenKey(u"/LM/W3SVC"));
  BYTE* buffer = reinterpret_cast<BYTE*>(&connection);
  DWORD length = 7;
  EXPECT_EQ(key.Get()->ReadRecord(MD_VR_PATH, 0, IIS_MD_UT_FILE, STRING_METADATA, buffer, length), kDataNotFound);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(length, 0u);
  refuseNothrow = true;
  length = 7;
  const ResultCode refused = key.Get()->ReadRecord(MD_KEY_TYPE, 0, IIS_MD_UT_SERVER, STRING_METADATA, buffer, length);
  refuseNothrow = false;
  EXPECT_EQ(refused, kInsufficientBuffer) << "no memory for the record";
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(length, sizeof(u"IIsWebService")) << "the size the record needs";
}

TEST_F(MetabaseKeyTest, AHolderClosesTheKeyItHeldWhenAnotherIsMovedIn) {
  MetabaseConnection connection;
  MetabaseKeyHolder held(connection.OpenKey(u"/LM/W3SVC"));
  MetabaseKeyHolder other(connection.OpenKey(u"/LM/MimeMap"));
  held = std::move(other);
  EXPECT_EQ(other.Get(), nullptr);
  EXPECT_TRUE(held.IsValid());
  ASSERT_EQ(Calls("CloseKey").size(), 1u);
  EXPECT_EQ(Calls("CloseKey")[0]["handle"], Calls("OpenKey")[0]["outHandle"]);
  EXPECT_EQ(winsim::CountOpenResources().metabaseHandles, 1);
  refuseNothrow = true;
  EXPECT_EQ(connection.OpenKey(u"/LM/W3SVC/1"), nullptr) << "no memory for the key, so its handle is closed";
  refuseNothrow = false;
  EXPECT_EQ(winsim::CountOpenResources().metabaseHandles, 1);
}

}  // namespace
