// The registry and machine environment methods of the Java class.
#include <com_vantora_adminserver_helper_ws_IISConfigure.h>

#include "native/java_text.h"
#include "system/jakarta_registry_entries.h"
#include "system/machine_environment.h"
#include "system/php_ini_registry_entries.h"

JNIEXPORT void JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniCreateJakartaRegistryEntries(
    JNIEnv* env, jclass, jstring logFile, jstring workerFile, jstring workerMountFile, jstring extensionFileName) {
  WithJavaText(env, CreateJakartaRegistryEntries, logFile, workerFile, workerMountFile, extensionFileName);
}

JNIEXPORT void JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniRemoveJakartaRegistryEntries(JNIEnv* env,
                                                                                                           jclass) {
  WithJavaText(env, RemoveJakartaRegistryEntries);
}

JNIEXPORT void JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniCreatePHPINIRegistryEntries(
    JNIEnv* env, jclass, jstring iniLocation) {
  WithJavaText(env, CreatePhpIniRegistryEntries, iniLocation);
}

JNIEXPORT void JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniRemovePHPINIRegistryEntries(JNIEnv* env,
                                                                                                          jclass) {
  WithJavaText(env, RemovePhpIniRegistryEntries);
}

JNIEXPORT void JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniAddPHPPathToEnvironmentVariable(
    JNIEnv* env, jclass, jstring directory) {
  WithJavaText(env, AddPathToEnvironment, directory);
}

JNIEXPORT void JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniRemovePHPPathFromEnvironmentVariable(
    JNIEnv* env, jclass, jstring directory) {
  WithJavaText(env, RemovePathFromEnvironment, directory);
}
