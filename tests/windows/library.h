#pragma once

#include <com_vantora_adminserver_helper_ws_IISConfigure.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "support/fake_jni_env.h"

// iisconfigure.dll loaded as a JVM would: LoadLibraryW, then each native
// method by its exported name.
class Library {
 public:
  Library() : module_(LoadLibraryW(L"iisconfigure.dll")) {}
  ~Library() {
    if (module_) FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  bool IsLoaded() const { return module_ != nullptr; }

  template <typename Function>
  Function Resolve(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_;
};

// The export named after the method, typed by its declaration in the header
// javac made from the Java class.
#define NATIVE_METHOD(library, method)                                                        \
  (library).Resolve<decltype(&Java_com_vantora_adminserver_helper_ws_IISConfigure_##method)>( \
      "Java_com_vantora_adminserver_helper_ws_IISConfigure_" #method)

// A loaded library and a JNIEnv in which only the three string functions
// work; any other JNI call fails the test.
class LibraryTest : public ::testing::Test {
 protected:
  Library library;
  FakeJniEnv fake;
  void SetUp() override { ASSERT_TRUE(library.IsLoaded()) << "iisconfigure.dll: error " << GetLastError(); }
  void TearDown() override {
    EXPECT_EQ(fake.otherCalls, 0) << "a JNI function other than the three was called";
    EXPECT_EQ(fake.outstandingChars, 0) << "characters not released";
  }
};
