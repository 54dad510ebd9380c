#pragma once

#include <com_vantora_adminserver_helper_ws_IISConfigure.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "support/fake_jni_env.h"

// A file in the folder of the test program.
inline std::wstring BesideTests(const wchar_t* file) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring program(path);
  return program.substr(0, program.find_last_of(L"\\/") + 1) + file;
}

// The export named after the method, looked up as a JVM does and typed by its
// declaration in the header javac made from the Java class. The exports check
// proves each is there.
#define NATIVE_METHOD(module, method)                                                                                \
  reinterpret_cast<decltype(&Java_com_vantora_adminserver_helper_ws_IISConfigure_##method)>(reinterpret_cast<void*>( \
      GetProcAddress((module), "Java_com_vantora_adminserver_helper_ws_IISConfigure_" #method)))

// The method called through its export, from a test of LibraryTest.
#define CALL(method, ...) NATIVE_METHOD(library, method)(fake.Env(), nullptr, ##__VA_ARGS__)

// iisconfigure.dll loaded with LoadLibraryW, and a JNIEnv in which only the
// three string functions work; any other JNI call fails the test.
class LibraryTest : public ::testing::Test {
 protected:
  HMODULE library = LoadLibraryW(L"iisconfigure.dll");
  FakeJniEnv fake;
  ~LibraryTest() override {
    if (library) FreeLibrary(library);
  }
  void SetUp() override { ASSERT_NE(library, nullptr) << "iisconfigure.dll: error " << GetLastError(); }
  void TearDown() override {
    EXPECT_EQ(fake.otherCalls, 0) << "a JNI function other than the three was called";
    EXPECT_EQ(fake.outstandingChars, 0) << "characters not released";
  }
  jstring Text(const std::u16string& text) { return fake.String(text); }
};
