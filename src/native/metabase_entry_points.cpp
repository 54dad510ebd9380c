// The metabase backup methods of the Java class.
#include <com_vantora_adminserver_helper_ws_IISConfigure.h>

#include "metabase/metabase_backup.h"
#include "native/java_text.h"

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniRestoreMetabase(JNIEnv* env, jclass,
                                                                                                  jstring name) {
  jboolean restored = JNI_FALSE;
  WithJavaText(
      env, [&](const WideString& backup) { restored = CodeToJava(RestoreMetabase(backup)); }, name);
  return restored;
}

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniBackupMetabase(JNIEnv* env, jclass,
                                                                                                 jstring name) {
  jboolean saved = JNI_FALSE;
  WithJavaText(
      env, [&](const WideString& backup) { saved = CodeToJava(BackupMetabase(backup)); }, name);
  return saved;
}
