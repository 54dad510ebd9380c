// Where a metabase laxer than IIS's would let a library fault pass unseen.
#include <gtest/gtest.h>
#include <winsim/windows.h>

#include "support/host_fixture.h"

namespace {

constexpr HRESULT kPathNotFound = static_cast<HRESULT>(0x80070003);
constexpr HRESULT kPathBusy = static_cast<HRESULT>(0x80070094);
constexpr DWORD kRead = METADATA_PERMISSION_READ;
constexpr DWORD kReadWrite = METADATA_PERMISSION_READ | METADATA_PERMISSION_WRITE;

// The admin base object, obtained and released as the library does.
class AdminBaseTest : public HostTest {
 protected:
  void SetUp() override {
    Reset(WithTimeoutScale(Stock(), 0.02));
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IClassFactory* factory = nullptr;
    CoGetClassObject(CLSID_MSAdminBase_W, CLSCTX_SERVER, nullptr, IID_IClassFactory,
                     reinterpret_cast<void**>(&factory));
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IMSAdminBase_W, reinterpret_cast<void**>(&admin)), S_OK);
    factory->Release();
  }
  void TearDown() override {
    if (admin) admin->Release();
    HostTest::TearDown();
  }
  METADATA_HANDLE Open(const char16_t* path, DWORD access, HRESULT* status = nullptr) {
    METADATA_HANDLE handle = 0;
    const HRESULT result = admin->OpenKey(0, path, access, 0, &handle);
    if (status) *status = result;
    return handle;
  }
  HRESULT Set(METADATA_HANDLE handle, DWORD id) {
    DWORD value = 1;
    METADATA_RECORD record{id, 0, IIS_MD_UT_FILE, DWORD_METADATA, sizeof value, reinterpret_cast<BYTE*>(&value), 0};
    return admin->SetData(handle, u"/", &record);
  }

  IMSAdminBaseW* admin = nullptr;
};

TEST_F(AdminBaseTest, OpensConflictOnTheSameKeyItsAncestorsAndDescendantsAndReadersCannotWrite) {
  const struct {
    const char16_t* held;
    DWORD heldAccess;
    const char16_t* wanted;
    DWORD wantedAccess;
    HRESULT result;
  } cases[] = {
      {u"/LM/W3SVC/1", kReadWrite, u"/LM/W3SVC/1", kRead, kPathBusy},
      {u"/LM/W3SVC/1", kReadWrite, u"/lm//w3svc/1/root/", kReadWrite, kPathBusy},
      {u"/LM/W3SVC/1/ROOT", kReadWrite, u"/LM/W3SVC", kRead, kPathBusy},
      {u"/LM/W3SVC/1", kRead, u"/LM/W3SVC/1/ROOT", kRead, S_OK},
      {u"/LM/W3SVC/1", kRead, u"/LM/W3SVC/1/ROOT", kReadWrite, kPathBusy},
      {u"/LM/W3SVC/1", kReadWrite, u"/LM/W3SVC/Filters", kReadWrite, S_OK},
      {u"/LM/W3SVC/1", kReadWrite, u"/LM/W3SVC/10", kReadWrite, kPathNotFound},
  };
  for (const auto& c : cases) {
    const METADATA_HANDLE held = Open(c.held, c.heldAccess);
    HRESULT status = 0;
    const METADATA_HANDLE wanted = Open(c.wanted, c.wantedAccess, &status);
    EXPECT_EQ(status, c.result);
    EXPECT_EQ(wanted != 0, c.result == S_OK);
    if (wanted) admin->CloseKey(wanted);
    admin->CloseKey(held);
  }
  const METADATA_HANDLE reader = Open(u"/LM/MimeMap", kRead);
  EXPECT_EQ(Set(reader, 9000), E_ACCESSDENIED);
  admin->CloseKey(reader);
}

// A write handle held across a restore writes into the restored tree.
TEST_F(AdminBaseTest, OnlySaveDataWritesTheMetabaseAndNotWhileAWriterHoldsAKey) {
  ASSERT_EQ(admin->Backup(u"b", MD_BACKUP_NEXT_VERSION, 0), S_OK);
  const METADATA_HANDLE key = Open(u"/LM/W3SVC/1/ROOT", kReadWrite);
  ASSERT_EQ(admin->AddKey(key, u"new"), S_OK);
  ASSERT_EQ(Set(key, 9001), S_OK);
  EXPECT_EQ(ImageKey(Image(), "/LM/W3SVC/1/ROOT/new"), nullptr) << "not saved yet";
  EXPECT_EQ(admin->SaveData(), kPathBusy);
  EXPECT_EQ(ImageKey(Image(), "/LM/W3SVC/1/ROOT/new"), nullptr);
  EXPECT_EQ(admin->Restore(u"b", MD_BACKUP_HIGHEST_VERSION, 0), S_OK);
  METADATA_RECORD record{9001, 0, 0, 0, 0, nullptr, 0};
  DWORD required = 0;
  EXPECT_EQ(admin->GetData(key, u"/", &record, &required), MD_ERROR_DATA_NOT_FOUND);
  ASSERT_EQ(Set(key, 9002), S_OK);
  admin->CloseKey(key);
  ASSERT_EQ(admin->SaveData(), S_OK);
  EXPECT_NE(ImageRecord(Image(), "/LM/W3SVC/1/ROOT", 9002), nullptr);
}

}  // namespace
