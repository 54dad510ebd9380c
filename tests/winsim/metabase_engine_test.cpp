#include <gtest/gtest.h>
#include <winsim/windows.h>

#include <chrono>
#include <thread>

#include "support/host_fixture.h"
#include "support/host_image.h"

namespace {

constexpr HRESULT kPathNotFound = static_cast<HRESULT>(0x80070003);
constexpr HRESULT kPathBusy = static_cast<HRESULT>(0x80070094);
constexpr HRESULT kInsufficientBuffer = static_cast<HRESULT>(0x8007007A);
constexpr DWORD kRead = METADATA_PERMISSION_READ;
constexpr DWORD kReadWrite = METADATA_PERMISSION_READ | METADATA_PERMISSION_WRITE;

using Clock = std::chrono::steady_clock;

// The admin base object, obtained and released as the library does.
class AdminBaseTest : public HostTest {
 protected:
  void SetUp() override { Use(Stock()); }
  void TearDown() override {
    if (admin) admin->Release();
    HostTest::TearDown();
  }
  void Use(const Json& image) {
    if (admin) admin->Release();
    Reset(image);
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IClassFactory* factory = nullptr;
    CoGetClassObject(CLSID_MSAdminBase_W, CLSCTX_SERVER, nullptr, IID_IClassFactory,
                     reinterpret_cast<void**>(&factory));
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IMSAdminBase_W, reinterpret_cast<void**>(&admin)), S_OK);
    factory->Release();
  }
  METADATA_HANDLE Open(const char16_t* path, DWORD access = kReadWrite, HRESULT* status = nullptr,
                       DWORD timeout = 1000) {
    METADATA_HANDLE handle = 0;
    const HRESULT result = admin->OpenKey(0, path, access, timeout, &handle);
    if (status) *status = result;
    return handle;
  }
  HRESULT Set(METADATA_HANDLE handle, DWORD id, DWORD type, std::vector<BYTE> bytes, DWORD attributes = 0) {
    METADATA_RECORD record{id, attributes, IIS_MD_UT_FILE, type, static_cast<DWORD>(bytes.size()), bytes.data(), 0};
    return admin->SetData(handle, u"/", &record);
  }
  HRESULT Get(METADATA_HANDLE handle, DWORD id, DWORD attributes, DWORD type, DWORD& required,
              std::vector<BYTE>* into = nullptr) {
    METADATA_RECORD record{
        id, attributes, 0, type, into ? static_cast<DWORD>(into->size()) : 0, into ? into->data() : nullptr, 0};
    return admin->GetData(handle, u"/", &record, &required);
  }

  IMSAdminBaseW* admin = nullptr;
};

TEST_F(AdminBaseTest, SetDataRefusesDataThatIsNotWhatItsTypeSays) {
  const struct {
    DWORD type;
    std::vector<BYTE> bytes;
    HRESULT result;
  } cases[] = {
      {DWORD_METADATA, {1, 0, 0, 0}, S_OK},
      {DWORD_METADATA, {1, 0, 0}, E_INVALIDARG},
      {STRING_METADATA, {'a', 0, 0, 0}, S_OK},
      {STRING_METADATA, {'a', 0}, E_INVALIDARG},
      {MULTISZ_METADATA, {0, 0}, S_OK},
      {MULTISZ_METADATA, {'a', 0, 0, 0}, E_INVALIDARG},
      {MULTISZ_METADATA, {'a', 0, 0, 0, 0}, E_INVALIDARG},
      {BINARY_METADATA, {7, 7, 7}, S_OK},
      {0, {1, 0, 0, 0}, E_INVALIDARG},
  };
  const METADATA_HANDLE key = Open(u"/LM/W3SVC");
  for (const auto& c : cases) {
    EXPECT_EQ(Set(key, 9000, c.type, c.bytes), c.result) << "type " << c.type << ", " << c.bytes.size() << " bytes";
  }
  const METADATA_HANDLE reader = Open(u"/LM/MimeMap", kRead);
  EXPECT_EQ(Set(reader, 9000, DWORD_METADATA, {1, 0, 0, 0}), E_ACCESSDENIED);
  admin->CloseKey(reader);
  admin->CloseKey(key);
}

TEST_F(AdminBaseTest, GetDataFindsInheritableRecordsOfAncestorsAndMatchesTypes) {
  const METADATA_HANDLE root = Open(u"/LM/W3SVC/1/ROOT");
  DWORD required = 0;
  // MD_ACCESS_PERM is stored on /LM/W3SVC, inheritable; the restriction list is not.
  EXPECT_EQ(Get(root, MD_ACCESS_PERM, METADATA_INHERIT, 0, required), kInsufficientBuffer);
  EXPECT_EQ(required, 4u);
  std::vector<BYTE> buffer(4);
  EXPECT_EQ(Get(root, MD_ACCESS_PERM, METADATA_INHERIT, DWORD_METADATA, required, &buffer), S_OK);
  EXPECT_EQ(buffer, (std::vector<BYTE>{0x01, 0x02, 0, 0}));
  EXPECT_EQ(Get(root, MD_ACCESS_PERM, METADATA_INHERIT, STRING_METADATA, required, &buffer), MD_ERROR_DATA_NOT_FOUND);
  required = 0;
  EXPECT_EQ(Get(root, MD_ACCESS_PERM, METADATA_NO_ATTRIBUTES, 0, required), MD_ERROR_DATA_NOT_FOUND);
  EXPECT_EQ(Get(root, MD_WEB_SVC_EXT_RESTRICTION_LIST, METADATA_INHERIT, 0, required), MD_ERROR_DATA_NOT_FOUND);
  EXPECT_EQ(required, 0u) << "untouched when not found";
  admin->CloseKey(root);
}

TEST_F(AdminBaseTest, OpensConflictOnTheSameKeyItsAncestorsAndDescendants) {
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
    const METADATA_HANDLE wanted = Open(c.wanted, c.wantedAccess, &status, 0);
    EXPECT_EQ(status, c.result);
    EXPECT_EQ(wanted != 0, c.result == S_OK);
    if (wanted) admin->CloseKey(wanted);
    admin->CloseKey(held);
  }
}

TEST_F(AdminBaseTest, AConflictingOpenWaitsForTheCloseAndWaitersAreServedInTurn) {
  const METADATA_HANDLE held = Open(u"/LM/W3SVC/1");
  std::vector<int> order;
  std::mutex orderMutex;
  auto waiter = [&](int number) {
    HRESULT status = 0;
    const METADATA_HANDLE handle = Open(u"/LM/W3SVC/1/ROOT", kReadWrite, &status);
    {
      std::lock_guard<std::mutex> lock(orderMutex);
      order.push_back(status == S_OK ? number : -number);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    admin->CloseKey(handle);
  };
  std::thread first(waiter, 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  std::thread second(waiter, 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto released = Clock::now();
  admin->CloseKey(held);
  first.join();
  second.join();
  EXPECT_EQ(order, (std::vector<int>{1, 2}));
  EXPECT_LT(Clock::now() - released, std::chrono::milliseconds(500));
}

TEST_F(AdminBaseTest, ABusyOpenGivesUpAfterItsScaledTimeOut) {
  Use(WithTimeoutScale(WithHeldKey(Stock(), "/LM/W3SVC", 1), 0.1));
  const auto start = Clock::now();
  HRESULT status = 0;
  EXPECT_EQ(Open(u"/LM/W3SVC/1", kReadWrite, &status, 1000), 0u);
  EXPECT_EQ(status, kPathBusy);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(100));
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(900));
}

TEST_F(AdminBaseTest, SaveDataWaitsForWriteHandlesAndOnlyItWritesTheMetabase) {
  Use(WithTimeoutScale(
      WithRecord(Stock(), "/LM/W3SVC/1/ROOT",
                 {{"id", 9001}, {"attributes", 0}, {"userType", 1}, {"dataType", 1}, {"hex", "2a000000"}}),
      0.02));
  const METADATA_HANDLE key = Open(u"/LM/W3SVC/1/ROOT");
  ASSERT_EQ(admin->AddKey(key, u"/new/deeper"), S_OK);
  ASSERT_EQ(Set(key, 9002, MULTISZ_METADATA, {'a', 0, 0, 0, 'b', 0, 0, 0, 0, 0}), S_OK);
  ASSERT_EQ(Set(key, 9004, STRING_METADATA, {'a', 0, 0, 0, 'b', 0, 0, 0}), S_OK);
  ASSERT_EQ(Set(key, 3001, STRING_METADATA, {'D', 0, 0, 0}, METADATA_INHERIT), S_OK);
  EXPECT_EQ(ImageKey(Image(), "/LM/W3SVC/1/ROOT/new"), nullptr) << "not saved yet";
  const auto start = Clock::now();
  EXPECT_EQ(admin->SaveData(), kPathBusy);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(100));  // 5 s x 0.02
  admin->CloseKey(key);
  ASSERT_EQ(admin->SaveData(), S_OK);
  const Json saved = Image();
  EXPECT_NE(ImageKey(saved, "/LM/W3SVC/1/ROOT/new/deeper"), nullptr);
  // Unchanged records keep their form, written ones are values when well formed.
  EXPECT_EQ((*ImageRecord(saved, "/LM/W3SVC/1/ROOT", 9001))["hex"], "2a000000");
  EXPECT_EQ((*ImageRecord(saved, "/LM/W3SVC/1/ROOT", 9002))["value"], (Json{"a", "b"}));
  EXPECT_EQ((*ImageRecord(saved, "/LM/W3SVC/1/ROOT", 9004))["hex"], "6100000062000000");
  const Json& records = (*ImageKey(saved, "/LM/W3SVC/1/ROOT"))["records"];
  EXPECT_EQ(records[1]["id"], 3001) << "a replaced record keeps its place";
  EXPECT_EQ(records[1]["value"], "D");
  EXPECT_EQ(saved["iis"]["metabase"]["children"][0]["children"][0],
            Stock()["iis"]["metabase"]["children"][0]["children"][0])
      << "/LM/MimeMap comes back as loaded";
}

TEST_F(AdminBaseTest, BackupsAreNamedVersionedAndWrittenAtOnce) {
  EXPECT_EQ(admin->Backup(u"b", MD_BACKUP_NEXT_VERSION, 0), S_OK);
  const METADATA_HANDLE key = Open(u"/LM/W3SVC/1/ROOT");
  ASSERT_EQ(Set(key, 9001, DWORD_METADATA, {1, 0, 0, 0}), S_OK);
  EXPECT_EQ(admin->Backup(u"B", MD_BACKUP_NEXT_VERSION, 0), S_OK);
  EXPECT_EQ(admin->Backup(u"b", 1, 0), static_cast<HRESULT>(0x800700B7));
  EXPECT_EQ(admin->Backup(u"a:b", 0, 0), E_INVALIDARG);
  EXPECT_EQ(Image()["iis"]["backups"][1]["version"], 1);
  EXPECT_EQ(admin->DeleteBackup(u"b", MD_BACKUP_HIGHEST_VERSION), S_OK);
  EXPECT_EQ(admin->DeleteBackup(u"b", 1), static_cast<HRESULT>(0x80070002));
  EXPECT_EQ(admin->Restore(u"b", MD_BACKUP_HIGHEST_VERSION, 0), S_OK);
  EXPECT_EQ(Image()["iis"]["backups"].size(), 1u);
  DWORD required = 0;
  EXPECT_EQ(Get(key, 9001, 0, 0, required), MD_ERROR_DATA_NOT_FOUND) << "a handle held across the restore";
  admin->CloseKey(key);
}

}  // namespace
