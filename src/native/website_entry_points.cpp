// The default web site methods of the Java class.
#include <com_vantora_adminserver_helper_ws_IISConfigure.h>

#include "native/java_text.h"
#include "website/default_encoding.h"
#include "website/document_root.h"
#include "website/virtual_directory.h"
#include "website/web_site_start.h"

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniStartDefaultWebsite(JNIEnv* env,
                                                                                                      jclass) {
  return CallForCode(env, StartDefaultWebSite);
}

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniCreateJakartaVirtualDirectory(
    JNIEnv* env, jclass, jstring name, jstring physicalPath) {
  return CallForCode(env, CreateJakartaVirtualDirectory, name, physicalPath);
}

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniCreateVirtualDirectory(
    JNIEnv* env, jclass, jstring name, jstring physicalPath) {
  return CallForCode(env, CreateVirtualDirectory, name, physicalPath);
}

JNIEXPORT void JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniSetDefaultEncoding(JNIEnv* env, jclass,
                                                                                                 jstring charset) {
  WithJavaText(env, SetDefaultEncoding, charset);
}

JNIEXPORT jstring JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniGetDefaultEncoding(JNIEnv* env,
                                                                                                    jclass) {
  return CallForText(env, GetDefaultEncoding);
}

JNIEXPORT jstring JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniGetDocumentRootPath(JNIEnv* env,
                                                                                                     jclass) {
  return CallForText(env, GetDocumentRootPath);
}
