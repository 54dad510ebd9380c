// The filter, PHP and extension methods of the Java class.
#include <com_vantora_adminserver_helper_ws_IISConfigure.h>

#include "filters/filter_installation.h"
#include "filters/php_detection.h"
#include "filters/php_module.h"
#include "filters/web_extension_restriction.h"
#include "native/java_text.h"

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniInstallIsapiRedirectFilter(
    JNIEnv* env, jclass, jstring name, jstring imagePath) {
  jboolean installed = JNI_FALSE;
  WithJavaText(
      env,
      [&](const WideString& filter, const WideString& image) {
        installed = CodeToJava(InstallIsapiRedirectFilter(filter, image));
      },
      name, imagePath);
  return installed;
}

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniInstallVantoraPHPModule(
    JNIEnv* env, jclass, jstring modulePath) {
  jboolean installed = JNI_FALSE;
  WithJavaText(
      env, [&](const WideString& path) { installed = CodeToJava(InstallPhpModule(path)); }, modulePath);
  return installed;
}

JNIEXPORT jboolean JNICALL
Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsVantoraPHPInstalled(JNIEnv* env, jclass, jstring modulePath) {
  jboolean installed = JNI_FALSE;
  WithJavaText(
      env, [&](const WideString& path) { installed = FlagToJava(IsPhpFilterInstalled(path)); }, modulePath);
  return installed;
}

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniIsPHPEnabled(JNIEnv* env, jclass) {
  jboolean enabled = JNI_FALSE;
  WithJavaText(env, [&] { enabled = FlagToJava(IsPhpEnabled()); });
  return enabled;
}

JNIEXPORT void JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniUpateWebExRestrictionList(
    JNIEnv* env, jclass, jstring description, jstring extensionPath) {
  WithJavaText(
      env, [](const WideString& text, const WideString& path) { UpdateWebExtensionRestrictionList(text, path); },
      description, extensionPath);
}
