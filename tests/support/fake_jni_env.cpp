#include "support/fake_jni_env.h"

#include <gtest/gtest.h>

#include <cstddef>

FakeJniEnv* FakeJniEnv::current_ = nullptr;

FakeJniEnv::FakeJniEnv() {
  // Any slot but three: calling it is a test failure, counted in otherCalls.
  auto** slots = reinterpret_cast<void**>(&table_);
  for (size_t i = 0; i < sizeof table_ / sizeof(void*); ++i) slots[i] = reinterpret_cast<void*>(&Other);
  table_.GetStringChars = &GetStringChars;
  table_.ReleaseStringChars = &ReleaseStringChars;
  table_.NewString = &NewString;
  env_.functions = &table_;
  current_ = this;
}

FakeJniEnv::~FakeJniEnv() {
  for (Text* text : texts_) delete text;
  current_ = nullptr;
}

jstring FakeJniEnv::String(const std::u16string& text) {
  texts_.push_back(new Text{text, false});
  return reinterpret_cast<jstring>(texts_.back());
}

jstring FakeJniEnv::StringWithoutChars(const std::u16string& text) {
  texts_.push_back(new Text{text, true});
  return reinterpret_cast<jstring>(texts_.back());
}

std::u16string FakeJniEnv::Made(jstring string) const { return reinterpret_cast<Text*>(string)->chars; }

const jchar* JNICALL FakeJniEnv::GetStringChars(JNIEnv*, jstring string, jboolean* isCopy) {
  EXPECT_EQ(isCopy, nullptr);
  auto* text = reinterpret_cast<Text*>(string);
  current_->events.push_back("get " + Narrow(text->chars));
  if (text->refuseChars) return nullptr;
  // Like the JVM: a copy with a NUL behind the last character.
  auto* chars = new jchar[text->chars.size() + 1];
  for (size_t i = 0; i < text->chars.size(); ++i) chars[i] = text->chars[i];
  chars[text->chars.size()] = 0;
  ++current_->outstandingChars;
  return chars;
}

void JNICALL FakeJniEnv::ReleaseStringChars(JNIEnv*, jstring string, const jchar* chars) {
  auto* text = reinterpret_cast<Text*>(string);
  current_->events.push_back("release " + Narrow(text->chars));
  EXPECT_NE(chars, nullptr);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(chars), text->chars.size()), text->chars)
      << "released with another string's characters";
  --current_->outstandingChars;
  delete[] chars;
}

jstring JNICALL FakeJniEnv::NewString(JNIEnv*, const jchar* chars, jsize length) {
  EXPECT_NE(chars, nullptr);
  std::u16string text(reinterpret_cast<const char16_t*>(chars), static_cast<size_t>(length));
  current_->events.push_back("new " + Narrow(text));
  return current_->String(text);
}

void* JNICALL FakeJniEnv::Other() {
  ++current_->otherCalls;
  return nullptr;
}

std::string FakeJniEnv::Narrow(const std::u16string& text) {
  std::string narrow;
  for (char16_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
  return narrow;
}
