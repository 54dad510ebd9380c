// Test-only JNI methods of com.vantora.winsim.SimulatedHost.
#include <jni.h>
#include <winsim/control.h>

#include <stdexcept>
#include <string>

namespace {

std::string ToUtf8(JNIEnv* env, jstring text) {
  const jchar* chars = env->GetStringChars(text, nullptr);
  const jsize length = env->GetStringLength(text);
  std::u16string wide(chars, chars + length);
  env->ReleaseStringChars(text, chars);
  std::string out;
  for (size_t i = 0; i < wide.size(); ++i) {
    uint32_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size()) c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// Image and journal text is UTF-8 JSON; NewStringUTF takes modified UTF-8,
// which differs only for NUL and characters outside the BMP.
jstring FromUtf8(JNIEnv* env, const std::string& text) { return env->NewStringUTF(text.c_str()); }

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
  return FromUtf8(env, winsim::StockImage());
}

JNIEXPORT jstring JNICALL Java_com_vantora_winsim_SimulatedHost_image(JNIEnv* env, jclass) {
  return FromUtf8(env, winsim::HostImage());
}

JNIEXPORT jobjectArray JNICALL Java_com_vantora_winsim_SimulatedHost_journal(JNIEnv* env, jclass) {
  const auto lines = winsim::JournalLines();
  jobjectArray array =
      env->NewObjectArray(static_cast<jsize>(lines.size()), env->FindClass("java/lang/String"), nullptr);
  for (size_t i = 0; i < lines.size(); ++i)
    env->SetObjectArrayElement(array, static_cast<jsize>(i), FromUtf8(env, lines[i]));
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
