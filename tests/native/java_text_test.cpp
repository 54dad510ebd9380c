#include "native/java_text.h"

#include <gtest/gtest.h>

#include <new>
#include <vector>

#include "support/fake_jni_env.h"

namespace {

using Texts = std::vector<WideString>;

TEST(WithJavaText, GivesEachOperationTheTextBeforeTheFirstNul) {
  const struct {
    std::u16string java;
    WideString expected;
  } cases[] = {
      {u"C:\\PHP", TEXT("C:\\PHP")},
      {u"", TEXT("")},
      {std::u16string(u"ab\0cd", 5), TEXT("ab")},
      {std::u16string(u"\0x", 2), TEXT("")},
      {u"\u00e9\u4e2d", TEXT("\u00e9\u4e2d")},
  };
  for (const auto& c : cases) {
    FakeJniEnv fake;
    Texts seen;
    EXPECT_TRUE(WithJavaText(
        fake.Env(), [&](const WideString& text) { seen.push_back(text); }, fake.String(c.java)));
    EXPECT_EQ(seen, Texts{c.expected});
    EXPECT_EQ(fake.outstandingChars, 0);
    EXPECT_EQ(fake.otherCalls, 0);
  }
}

// Every string is obtained before the operation and released on every path;
// without all of them the operation never runs.
TEST(WithJavaText, RunsTheOperationOnlyWithEveryStringAndReleasesEachOne) {
  const std::vector<std::string> both = {"get first", "get second", "operation", "release second", "release first"};
  const struct {
    const char* what;
    bool nullFirst, refuseSecond, throws, ran;
    std::vector<std::string> events;
  } cases[] = {
      {"both strings", false, false, false, true, both},
      {"null string", true, false, false, false, {"get second", "release second"}},
      {"GetStringChars gives null", false, true, false, false, {"get first", "get second", "release first"}},
      {"the operation throws", false, false, true, false, both},
  };
  for (const auto& c : cases) {
    FakeJniEnv fake;
    const jstring first = c.nullFirst ? nullptr : fake.String(u"first");
    const jstring second = c.refuseSecond ? fake.StringWithoutChars(u"second") : fake.String(u"second");
    const bool ran = WithJavaText(
        fake.Env(),
        [&](const WideString&, const WideString&) {
          fake.events.push_back("operation");
          if (c.throws) throw std::bad_alloc();
        },
        first, second);
    EXPECT_EQ(ran, c.ran) << c.what;
    EXPECT_EQ(fake.events, c.events) << c.what;
    EXPECT_EQ(fake.outstandingChars, 0) << c.what;
  }
}

}  // namespace
