// The default web site methods of the Java class.
#include <com_vantora_adminserver_helper_ws_IISConfigure.h>

#include "native/java_text.h"
#include "website/default_encoding.h"
#include "website/document_root.h"
#include "website/virtual_directory.h"
#include "website/web_site_start.h"

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniStartDefaultWebsite(JNIEnv* env,
                                                                                                      jclass) {
  jboolean started = JNI_FALSE;
  WithJavaText(env, [&] { started = CodeToJava(StartDefaultWebSite()); });
  return started;
}

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniCreateJakartaVirtualDirectory(
    JNIEnv* env, jclass, jstring name, jstring physicalPath) {
  jboolean created = JNI_FALSE;
  WithJavaText(
      env,
      [&](const WideString& directory, const WideString& path) {
        created = CodeToJava(CreateJakartaVirtualDirectory(directory, path));
      },
      name, physicalPath);
  return created;
}

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniCreateVirtualDirectory(
    JNIEnv* env, jclass, jstring name, jstring physicalPath) {
  jboolean created = JNI_FALSE;
  WithJavaText(
      env,
      [&](const WideString& directory, const WideString& path) {
        created = CodeToJava(CreateVirtualDirectory(directory, path));
      },
      name, physicalPath);
  return created;
}

JNIEXPORT void JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniSetDefaultEncoding(JNIEnv* env, jclass,
                                                                                                 jstring charset) {
  WithJavaText(
      env, [](const WideString& text) { SetDefaultEncoding(text); }, charset);
}

JNIEXPORT jstring JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniGetDefaultEncoding(JNIEnv* env,
                                                                                                    jclass) {
  jstring charset = nullptr;
  WithJavaText(env, [&] {
    WideString text;
    const ResultCode code = GetDefaultEncoding(text);
    charset = TextToJava(env, code, text);
  });
  return charset;
}

JNIEXPORT jstring JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniGetDocumentRootPath(JNIEnv* env,
                                                                                                     jclass) {
  jstring path = nullptr;
  WithJavaText(env, [&] {
    WideString text;
    const ResultCode code = GetDocumentRootPath(text);
    path = TextToJava(env, code, text);
  });
  return path;
}
