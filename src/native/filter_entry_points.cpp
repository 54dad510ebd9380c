// The filter, PHP and extension methods of the Java class.
#include <com_vantora_adminserver_helper_ws_IISConfigure.h>

#include "filters/filter_installation.h"
#include "filters/php_detection.h"
#include "filters/php_module.h"
#include "filters/web_extension_restriction.h"
#include "native/java_text.h"

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniInstallIsapiRedirectFilter(
    JNIEnv* env, jclass, jstring name, jstring imagePath) {
  return CallForCode(env, InstallIsapiRedirectFilter, name, imagePath);
}

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniInstallVantoraPHPModule(
    JNIEnv* env, jclass, jstring modulePath) {
  return CallForCode(env, InstallPhpModule, modulePath);
}

JNIEXPORT jboolean JNICALL
Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsVantoraPHPInstalled(JNIEnv* env, jclass, jstring modulePath) {
  return CallForFlag(env, IsPhpFilterInstalled, modulePath);
}

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsPHPEnabled(JNIEnv* env, jclass) {
  return CallForFlag(env, IsPhpEnabled);
}

JNIEXPORT void JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniUpateWebExRestrictionList(
    JNIEnv* env, jclass, jstring description, jstring extensionPath) {
  WithJavaText(env, UpdateWebExtensionRestrictionList, description, extensionPath);
}
