// The metabase backup methods of the Java class.
#include <com_vantora_adminserver_helper_ws_IISConfigure.h>

#include "metabase/metabase_backup.h"
#include "native/java_text.h"

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniRestoreMetabase(JNIEnv* env, jclass,
                                                                                                  jstring name) {
  return CallForCode(env, RestoreMetabase, name);
}

JNIEXPORT jboolean JNICALL Java_com_vantora_adminserver_helper_ws_IISConfigure_jniBackupMetabase(JNIEnv* env, jclass,
                                                                                                 jstring name) {
  return CallForCode(env, BackupMetabase, name);
}
