#include "windows/library.h"

namespace {

// GetProcAddress finds every native method of the Java class by its plain
// name, as the JVM looks it up, with the type javac declared for it.
TEST_F(LibraryTest, EveryNativeMethodResolvesByItsExportedName) {
#define EXPECT_RESOLVES(method) EXPECT_NE(NATIVE_METHOD(library, method), nullptr) << #method
  EXPECT_RESOLVES(jniIsIISWebserverRunning);
  EXPECT_RESOLVES(jniStartIISAdminService);
  EXPECT_RESOLVES(jniIsIISInstalled);
  EXPECT_RESOLVES(jniRestoreMetabase);
  EXPECT_RESOLVES(jniBackupMetabase);
  EXPECT_RESOLVES(jniRemovePHPPathFromEnvironmentVariable);
  EXPECT_RESOLVES(jniAddPHPPathToEnvironmentVariable);
  EXPECT_RESOLVES(jniRemovePHPINIRegistryEntries);
  EXPECT_RESOLVES(jniCreatePHPINIRegistryEntries);
  EXPECT_RESOLVES(jniCreateJakartaRegistryEntries);
  EXPECT_RESOLVES(jniRemoveJakartaRegistryEntries);
  EXPECT_RESOLVES(jniIsVantoraPHPInstalled);
  EXPECT_RESOLVES(jniUpateWebExRestrictionList);
  EXPECT_RESOLVES(jniStartDefaultWebsite);
  EXPECT_RESOLVES(jniCreateJakartaVirtualDirectory);
  EXPECT_RESOLVES(jniCreateVirtualDirectory);
  EXPECT_RESOLVES(jniSetDefaultEncoding);
  EXPECT_RESOLVES(jniGetDefaultEncoding);
  EXPECT_RESOLVES(jniGetDocumentRootPath);
  EXPECT_RESOLVES(jniInstallVantoraPHPModule);
  EXPECT_RESOLVES(jniInstallIsapiRedirectFilter);
  EXPECT_RESOLVES(jniIsPHPEnabled);
#undef EXPECT_RESOLVES
}

}  // namespace
