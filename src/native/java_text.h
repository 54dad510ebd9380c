#pragma once

#include <jni.h>

#include <array>
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>

#include "platform.h"
#include "util/result_code.h"

// The characters of one Java string, held from GetStringChars until
// destruction releases them. A null jstring is never handed to the JVM;
// IsValid() is false for it, and when GetStringChars gives nothing.
//
//   JavaChars chars(env, string);
//   if (chars.IsValid()) Use(chars.Text());
class JavaChars {
 public:
  JavaChars(JNIEnv* env, jstring string);
  JavaChars(const JavaChars&) = delete;
  JavaChars& operator=(const JavaChars&) = delete;
  ~JavaChars();

  bool IsValid() const { return chars_ != nullptr; }

  // The text before the first NUL. GetStringLength is not among the JNI
  // functions this library calls, so the copy stops at the NUL the JVM puts
  // behind the characters it hands out.
  WideString Text() const;

 private:
  JNIEnv* env_;
  jstring string_;
  const jchar* chars_;
};

namespace java_text_detail {

template <typename Operation, std::size_t... Index, std::size_t Count>
void Invoke(Operation& operation, const std::array<JavaChars, Count>& chars, std::index_sequence<Index...>) {
  operation(chars[Index].Text()...);
}

}  // namespace java_text_detail

// Runs the operation with the text of each Java string, in order: every
// string's characters are obtained first and released after the operation
// has returned. Returns false, the operation not run, when a string is null
// or its characters cannot be had: an operation never sees a text that Java
// did not send. Also false when the operation throws (out of memory): no C++
// exception may unwind into the JVM.
template <typename Operation, typename... JavaStrings>
bool WithJavaText([[maybe_unused]] JNIEnv* env, Operation&& operation, JavaStrings... strings) {
  static_assert((std::is_same_v<JavaStrings, jstring> && ...), "Java arguments are strings");
  try {
    const std::array<JavaChars, sizeof...(JavaStrings)> chars{{JavaChars(env, strings)...}};
    for (const auto& each : chars) {
      if (!each.IsValid()) return false;
    }
    java_text_detail::Invoke(operation, chars, std::index_sequence_for<JavaStrings...>{});
    return true;
  } catch (...) {
    return false;
  }
}

inline jboolean CodeToJava(ResultCode code) { return code == kSuccess ? JNI_TRUE : JNI_FALSE; }
inline jboolean FlagToJava(bool flag) { return flag ? JNI_TRUE : JNI_FALSE; }

// NewString of the text when the code is success, else null without a JNI call.
jstring TextToJava(JNIEnv* env, ResultCode code, const WideString& text);

// The three ways an entry point hands an operation's result to Java; each
// gives the failure value (false, null) when WithJavaText refused the call.

// True exactly when the operation's result code is 0.
template <typename Operation, typename... JavaStrings>
jboolean CallForCode(JNIEnv* env, Operation&& operation, JavaStrings... strings) {
  jboolean result = JNI_FALSE;
  WithJavaText(
      env, [&](const auto&... text) { result = CodeToJava(operation(text...)); }, strings...);
  return result;
}

// The operation's own answer.
template <typename Operation, typename... JavaStrings>
jboolean CallForFlag(JNIEnv* env, Operation&& operation, JavaStrings... strings) {
  jboolean result = JNI_FALSE;
  WithJavaText(
      env, [&](const auto&... text) { result = FlagToJava(operation(text...)); }, strings...);
  return result;
}

// The text the operation fills in, when its result code is 0; null otherwise.
template <typename Operation>
jstring CallForText(JNIEnv* env, Operation&& operation) {
  jstring result = nullptr;
  WithJavaText(env, [&] {
    WideString text;
    const ResultCode code = operation(text);
    result = TextToJava(env, code, text);
  });
  return result;
}
