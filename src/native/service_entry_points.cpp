// The service control methods of the Java class.
#include <com_vantora_adminserver_helper_ws_IISConfigure.h>

#include "native/java_text.h"
#include "system/service_control.h"

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsIISWebserverRunning(JNIEnv* env,
                                                                                                        jclass) {
  return CallForFlag(env, IsWebServerRunning);
}

JNIEXPORT void JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniStartIISAdminService(JNIEnv* env,
                                                                                                   jclass) {
  WithJavaText(env, [] { StartNamedService(TEXT("IISADMIN")); });
}

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsIISInstalled(JNIEnv* env, jclass) {
  return CallForFlag(env, [] { return IsServiceInstalled(TEXT("IISADMIN")); });
}
