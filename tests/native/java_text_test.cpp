#include "native/java_text.h"

#include <gtest/gtest.h>

#include <stdexcept>
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

TEST(WithJavaText, ObtainsEveryStringBeforeTheOperationAndReleasesAfter) {
  FakeJniEnv fake;
  WithJavaText(
      fake.Env(), [&](const WideString&, const WideString&) { fake.events.push_back("operation"); },
      fake.String(u"name"), fake.String(u"path"));
  const std::vector<std::string> expected = {"get name", "get path", "operation", "release path", "release name"};
  EXPECT_EQ(fake.events, expected);
}

TEST(WithJavaText, NeverRunsTheOperationWithoutEveryString) {
  struct Case {
    const char* what;
    bool nullFirst;
    bool refuseSecond;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"null string", true, false, {"get second", "release second"}},
      {"GetStringChars gives null", false, true, {"get first", "get second", "release first"}},
  };
  for (const auto& c : cases) {
    FakeJniEnv fake;
    bool ran = false;
    const jstring first = c.nullFirst ? nullptr : fake.String(u"first");
    const jstring second = c.refuseSecond ? fake.StringWithoutChars(u"second") : fake.String(u"second");
    EXPECT_FALSE(WithJavaText(
        fake.Env(), [&](const WideString&, const WideString&) { ran = true; }, first, second))
        << c.what;
    EXPECT_FALSE(ran) << c.what;
    EXPECT_EQ(fake.events, c.events) << c.what;
    EXPECT_EQ(fake.outstandingChars, 0) << c.what;
  }
}

TEST(WithJavaText, ReleasesTheCharactersWhenTheOperationThrows) {
  FakeJniEnv fake;
  EXPECT_FALSE(WithJavaText(
      fake.Env(), [](const WideString&) { throw std::bad_alloc(); }, fake.String(u"x")));
  EXPECT_EQ(fake.outstandingChars, 0);
}

TEST(TextToJava, MakesAStringOfTheExactLengthOnSuccessAndNullOtherwise) {
  const struct {
    ResultCode code;
    WideString text;
  } cases[] = {{kSuccess, TEXT("C:\\Inetpub\\wwwroot")},
               {kSuccess, WideString()},
               {1, TEXT("ignored")},
               {-2146646015, TEXT("ignored")}};
  for (const auto& c : cases) {
    FakeJniEnv fake;
    const jstring made = TextToJava(fake.Env(), c.code, c.text);
    EXPECT_EQ(fake.newStringCalls, c.code == kSuccess ? 1 : 0) << c.code;
    EXPECT_EQ(made != nullptr, c.code == kSuccess) << c.code;
    if (made) {
      EXPECT_EQ(fake.Made(made), std::u16string(c.text.begin(), c.text.end()));
    }
    EXPECT_EQ(fake.otherCalls, 0);
  }
}

}  // namespace
