// The list edits of the filter, PHP and restriction list operations over
// lists of 10, 1,000 and 100,000 entries; each should take time in
// proportion to the size.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "metabase/record_buffer.h"
#include "util/list_edits.h"
#include "util/multi_string.h"
#include "util/string_list.h"

namespace {

WideString Numbered(const char16_t* prefix, int64_t i, const char16_t* suffix) {
  WideString text = prefix;
  for (const char c : std::to_string(i)) text += static_cast<WCHAR>(c);
  return text + suffix;
}

// A list of `count` entries that the edit has to scan to the end: the entries
// to drop, when there are any, come last. Built in one pass, since appending
// one by one would copy the list each time.
void FillList(RecordBuffer& buffer, int64_t count, const char16_t* prefix, const char16_t* suffix,
              const WideString& last) {
  WideString units;
  for (int64_t i = 0; i + 1 < count; ++i) units += Numbered(prefix, i, suffix) + WCHAR(0);
  units += last + WCHAR(0) + WCHAR(0);
  buffer.Clear();
  buffer.length = static_cast<DWORD>(units.size() * sizeof(WCHAR));
  buffer.data = new BYTE[buffer.length];
  std::memcpy(buffer.data, units.data(), buffer.length);
}

void CopyList(const RecordBuffer& from, RecordBuffer& to) {
  to.Clear();
  to.data = new BYTE[from.length];
  std::copy(from.data, from.data + from.length, to.data);
  to.length = from.length;
}

void LoadOrder(benchmark::State& state) {
  WideString loadOrder;
  for (int64_t i = 0; i < state.range(0); ++i) loadOrder += Numbered(i == 0 ? u"" : u",", i, u"filter");
  for (auto _ : state) benchmark::DoNotOptimize(WithFilterInLoadOrder(loadOrder, TEXT("PHP")));
  state.SetComplexityN(state.range(0));
}

void LoadOrderSplitAndSearch(benchmark::State& state) {
  WideString loadOrder;
  for (int64_t i = 0; i < state.range(0); ++i) loadOrder += Numbered(u",", i, u"filter");
  for (auto _ : state) {
    StringList fields;
    SplitAtCharacter(loadOrder, TEXT(','), fields);
    benchmark::DoNotOptimize(ListContains(fields, TEXT("PHP")));
  }
  state.SetComplexityN(state.range(0));
}

void ListReplacement(benchmark::State& state, const char16_t* prefix, const char16_t* suffix, const WideString& old,
                     const WideString& text, const WideString& entry) {
  RecordBuffer stored;
  FillList(stored, state.range(0), prefix, suffix, old);
  RecordBuffer buffer;
  for (auto _ : state) {
    state.PauseTiming();
    CopyList(stored, buffer);
    state.ResumeTiming();
    ReplaceEntriesContaining(text, entry, buffer.data, buffer.length);
    benchmark::DoNotOptimize(buffer.data);
  }
  state.SetComplexityN(state.range(0));
}

void ScriptMaps(benchmark::State& state) {
  ListReplacement(state, u".ext", u",C:\\WINDOWS\\system32\\inetsrv\\asp.dll,5,GET,HEAD,POST",
                  TEXT(".php,C:\\old\\php4isapi.dll,5"), TEXT(".php"), TEXT(".php,C:\\PHP\\php5isapi.dll,5"));
}

void RestrictionList(benchmark::State& state) {
  ListReplacement(state, u"0,C:\\WINDOWS\\system32\\inetsrv\\ext", u".dll,0,EXT,Some extension",
                  TEXT("0,C:\\PHP\\php5isapi.dll,1,PHP,PHP"), TEXT("C:\\PHP\\php5isapi.dll"),
                  TEXT("1,C:\\PHP\\php5isapi.dll,1,PHP,PHP"));
}

void MultiStringAppend(benchmark::State& state) {
  RecordBuffer stored;
  FillList(stored, state.range(0), u".ext", u",x.dll,5", TEXT(".last,x.dll,5"));
  RecordBuffer buffer;
  for (auto _ : state) {
    state.PauseTiming();
    CopyList(stored, buffer);
    state.ResumeTiming();
    AppendToMultiString(TEXT(".php,C:\\PHP\\php5isapi.dll,5"), buffer.data, buffer.length);
  }
  state.SetComplexityN(state.range(0));
}

void MultiStringRemove(benchmark::State& state) {
  RecordBuffer stored;
  FillList(stored, state.range(0), u".ext", u",x.dll,5", TEXT(".php,x.dll,5"));
  RecordBuffer buffer;
  for (auto _ : state) {
    state.PauseTiming();
    CopyList(stored, buffer);
    state.ResumeTiming();
    RemoveFromMultiString(TEXT(".php"), buffer.data, buffer.length);
  }
  state.SetComplexityN(state.range(0));
}

#define LIST_SIZES Arg(10)->Arg(1000)->Arg(100000)->Complexity(benchmark::oN)

BENCHMARK(LoadOrder)->LIST_SIZES;
BENCHMARK(LoadOrderSplitAndSearch)->LIST_SIZES;
BENCHMARK(ScriptMaps)->LIST_SIZES;
BENCHMARK(RestrictionList)->LIST_SIZES;
BENCHMARK(MultiStringAppend)->LIST_SIZES;
BENCHMARK(MultiStringRemove)->LIST_SIZES;

}  // namespace

BENCHMARK_MAIN();
