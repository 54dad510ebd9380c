#pragma once

#include "support/fake_jni_env.h"
#include "support/host_fixture.h"

// An entry point test: a fresh host and a fake JNIEnv, which at the end must
// have seen no JNI function but the three and every character released.
class EntryPointTest : public HostTest {
 protected:
  FakeJniEnv fake;
  void TearDown() override {
    EXPECT_EQ(fake.otherCalls, 0) << "a JNI function other than the three was called";
    EXPECT_EQ(fake.outstandingChars, 0) << "characters not released";
    HostTest::TearDown();
  }
};
