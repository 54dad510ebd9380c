#pragma once

#include <jni.h>

#include <string>
#include <vector>

// A JNIEnv in which GetStringChars, ReleaseStringChars and NewString work
// and every other slot only counts that it was called. Java strings are
// handles to texts owned by the fake.
class FakeJniEnv {
 public:
  FakeJniEnv();
  ~FakeJniEnv();
  FakeJniEnv(const FakeJniEnv&) = delete;
  FakeJniEnv& operator=(const FakeJniEnv&) = delete;

  JNIEnv* Env() { return &env_; }

  jstring String(const std::u16string& text);
  // GetStringChars gives null for this string, as when memory runs out.
  jstring StringWithoutChars(const std::u16string& text);

  // What NewString was given, for each string it made.
  std::u16string Made(jstring string) const;

  int otherCalls = 0;
  int outstandingChars = 0;
  std::vector<std::string> events;  // "get <text>", "release <text>", "new <text>"

 private:
  struct Text {
    std::u16string chars;
    bool refuseChars = false;
  };
  static FakeJniEnv* current_;
  static const jchar* JNICALL GetStringChars(JNIEnv*, jstring, jboolean*);
  static void JNICALL ReleaseStringChars(JNIEnv*, jstring, const jchar*);
  static jstring JNICALL NewString(JNIEnv*, const jchar*, jsize);
  static void* JNICALL Other();
  static std::string Narrow(const std::u16string& text);

  JNINativeInterface_ table_{};
  JNIEnv env_{};
  std::vector<Text*> texts_;
};
