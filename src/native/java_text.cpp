#include "native/java_text.h"

#include <vector>

JavaChars::JavaChars(JNIEnv* env, jstring string)
    : env_(env), string_(string), chars_(string ? env->GetStringChars(string, nullptr) : nullptr) {}

JavaChars::~JavaChars() {
  if (chars_ != nullptr) env_->ReleaseStringChars(string_, chars_);
}

WideString JavaChars::Text() const {
  WideString text;
  for (const jchar* c = chars_; c != nullptr && *c != 0; ++c) text += static_cast<WCHAR>(*c);
  return text;
}

jstring TextToJava(JNIEnv* env, ResultCode code, const WideString& text) {
  if (code != kSuccess) return nullptr;
  std::vector<jchar> chars(text.begin(), text.end());
  chars.push_back(0);  // a valid pointer even for the empty text
  return env->NewString(chars.data(), static_cast<jsize>(text.size()));
}
