// Test-only JNI methods of com.vantora.winsim.SimulatedHost.
#include <jni.h>
#include <winsim/control.h>

#include <stdexcept>
#include <string>

namespace {

// Modified UTF-8 differs only for NUL and outside the BMP, which test images do not hold.
std::string ToUtf8(JNIEnv* env, jstring text) {
  const char* chars = env->GetStringUTFChars(text, nullptr);
  std::string utf8(chars);
  env->ReleaseStringUTFChars(text, chars);
  return utf8;
}

}  // namespace

extern "C" {

JNIEXPORT void JNICALL Java_com_vantora_winsim_SimulatedHost_reset(JNIEnv* env, jclass, jstring image) {
  try {
    winsim::ResetHost(ToUtf8(env, image));
  } catch (const std::exception& e) {
    env->ThrowNew(env->FindClass("java/lang/IllegalArgumentException"), e.what());
  }
}

JNIEXPORT jstring JNICALL Java_com_vantora_winsim_SimulatedHost_stockImage(JNIEnv* env, jclass) {
  return env->NewStringUTF(winsim::StockImage().c_str());
}

JNIEXPORT jstring JNICALL Java_com_vantora_winsim_SimulatedHost_image(JNIEnv* env, jclass) {
  return env->NewStringUTF(winsim::HostImage().c_str());
}

JNIEXPORT jobjectArray JNICALL Java_com_vantora_winsim_SimulatedHost_journal(JNIEnv* env, jclass) {
  const auto lines = winsim::JournalLines();
  jobjectArray array =
      env->NewObjectArray(static_cast<jsize>(lines.size()), env->FindClass("java/lang/String"), nullptr);
  for (size_t i = 0; i < lines.size(); ++i)
    env->SetObjectArrayElement(array, static_cast<jsize>(i), env->NewStringUTF(lines[i].c_str()));
  return array;
}

JNIEXPORT jintArray JNICALL Java_com_vantora_winsim_SimulatedHost_openResources(JNIEnv* env, jclass) {
  const auto open = winsim::CountOpenResources();
  const jint counts[] = {open.metabaseHandles, open.registryKeys, open.serviceHandles, open.comReferences};
  jintArray array = env->NewIntArray(4);
  env->SetIntArrayRegion(array, 0, 4, counts);
  return array;
}

}  // extern "C"
