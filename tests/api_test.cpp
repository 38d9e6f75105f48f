// The C API's contract beyond the conversion itself (which the golden files,
// the reference converter and the fuzzer check through it): every misuse is a
// status, a failing writer or allocator stops the conversion without a leak,
// and conversions in several threads at once do not meet.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "colorune.h"
#include "element_kinds.h"
#include "highlight.h"
#include "highlighter/api_hooks.h"

namespace {

int append(void* text, const char* bytes, std::size_t count) {
  static_cast<std::string*>(text)->append(bytes, count);
  return 0;
}

// Fails on call number fail_on (counting from 1), succeeds on the others.
struct FailingWriter {
  int calls = 0;
  int fail_on = 1;
};
int write_failing(void* context, const char*, std::size_t) {
  auto& writer = *static_cast<FailingWriter*>(context);
  return ++writer.calls == writer.fail_on ? 1 : 0;
}

// An allocator that refuses its allocation number refuse_at and counts what is
// still held.
struct CountingAllocator {
  int allocations = 0;
  int refuse_at = 0;
  int held = 0;
};
void* reallocate_counting(void* context, void* pointer, std::size_t size) {
  auto& allocator = *static_cast<CountingAllocator*>(context);
  if (size == 0) {
    if (pointer != nullptr) --allocator.held;
    std::free(pointer);
    return nullptr;
  }
  if (++allocator.allocations == allocator.refuse_at) return nullptr;
  void* const result = std::realloc(pointer, size);
  if (pointer == nullptr && result != nullptr) ++allocator.held;
  return result;
}

TEST(Api, MisuseIsAStatus) {
  char* html = reinterpret_cast<char*>(1);
  std::size_t length = 1;
  std::string out;
  colorune_converter* converter = nullptr;
  struct Case {
    const char* what;
    int status;
    int expected;
  };
  const Case cases[] = {
      {"tab width 0", colorune_to_html("x", 1, 0, 0, &html, &length), COLORUNE_EINVAL},
      {"tab width 100", colorune_to_html("x", 1, 0, 100, &html, &length), COLORUNE_EINVAL},
      {"an unknown option bit", colorune_to_html("x", 1, 0x20u, 4, &html, &length), COLORUNE_EINVAL},
      {"NULL text with a length", colorune_to_html(nullptr, 1, 0, 4, &html, &length), COLORUNE_EINVAL},
      {"NULL html", colorune_to_html("x", 1, 0, 4, nullptr, &length), COLORUNE_EINVAL},
      {"NULL html_length", colorune_to_html("x", 1, 0, 4, &html, nullptr), COLORUNE_EINVAL},
      {"convert: NULL writer", colorune_convert("x", 1, 0, 4, nullptr, nullptr), COLORUNE_EINVAL},
      {"convert: tab width 0", colorune_convert("x", 1, 0, 0, append, &out), COLORUNE_EINVAL},
      {"convert: NULL text with a length", colorune_convert(nullptr, 2, 0, 4, append, &out), COLORUNE_EINVAL},
      {"new: NULL result", colorune_converter_new(0, 4, append, &out, nullptr), COLORUNE_EINVAL},
      {"new: NULL writer", colorune_converter_new(0, 4, nullptr, &out, &converter), COLORUNE_EINVAL},
      {"new: an unknown option bit", colorune_converter_new(0x100u, 4, append, &out, &converter), COLORUNE_EINVAL},
      {"feed: NULL converter", colorune_converter_feed(nullptr, "x", 1), COLORUNE_EINVAL},
      {"finish: NULL converter", colorune_converter_finish(nullptr), COLORUNE_EINVAL},
  };
  for (const Case& c : cases) EXPECT_EQ(c.expected, c.status) << c.what;
  EXPECT_EQ(nullptr, html);
  EXPECT_EQ(0u, length);
  EXPECT_EQ(nullptr, converter);
  EXPECT_EQ("", out);
  colorune_converter_free(nullptr);
  colorune_free(nullptr);
  for (int status = -1; status <= 5; ++status) EXPECT_NE(nullptr, colorune_strerror(status));
  EXPECT_STREQ(COLORUNE_VERSION_FOR_TESTS, colorune_version());
}

TEST(Api, NoTextIsTheEmptyFragment) {
  char* html = nullptr;
  std::size_t length = 0;
  ASSERT_EQ(COLORUNE_OK, colorune_to_html(nullptr, 0, COLORUNE_NO_PRE, 4, &html, &length));
  EXPECT_EQ("<code></code>", kinds_of(std::string(html, length)));
  EXPECT_EQ('\0', html[length]);
  colorune_free(html);
  std::string out;
  EXPECT_EQ(COLORUNE_OK, colorune_convert(nullptr, 0, 0, 4, append, &out));
  EXPECT_EQ("<pre><code></code></pre>", kinds_of(out));
}

TEST(Api, AFailedConverterTakesNothingMore) {
  // A writer that fails on its first call and one that fails later, in a
  // conversion long enough to hand its output on in several pieces.
  const std::string source(1 << 22, 'x');
  for (const int fail_on : {1, 2}) {
    FailingWriter writer{0, fail_on};
    colorune_converter* converter = nullptr;
    ASSERT_EQ(COLORUNE_OK, colorune_converter_new(0, 4, write_failing, &writer, &converter));
    int status = COLORUNE_OK;
    for (std::size_t at = 0; at < source.size() && status == COLORUNE_OK; at += 1 << 16) {
      status = colorune_converter_feed(converter, source.data() + at, 1 << 16);
    }
    if (status == COLORUNE_OK) status = colorune_converter_finish(converter);
    EXPECT_EQ(COLORUNE_EWRITE, status) << "failing on call " << fail_on;
    EXPECT_EQ(fail_on, writer.calls) << "no call after the failing one";
    EXPECT_EQ(COLORUNE_ESTATE, colorune_converter_feed(converter, "x", 1));
    EXPECT_EQ(COLORUNE_ESTATE, colorune_converter_finish(converter));
    colorune_converter_free(converter);

    writer = FailingWriter{0, fail_on};
    EXPECT_EQ(COLORUNE_EWRITE, colorune_convert(source.data(), source.size(), 0, 4, write_failing, &writer));
  }
  // Finished, a converter takes nothing more either.
  std::string out;
  colorune_converter* converter = nullptr;
  ASSERT_EQ(COLORUNE_OK, colorune_converter_new(0, 4, append, &out, &converter));
  EXPECT_EQ(COLORUNE_OK, colorune_converter_feed(converter, nullptr, 0));
  EXPECT_EQ(COLORUNE_OK, colorune_converter_finish(converter));
  EXPECT_EQ(COLORUNE_ESTATE, colorune_converter_feed(converter, "x", 1));
  EXPECT_EQ(COLORUNE_ESTATE, colorune_converter_finish(converter));
  colorune_converter_free(converter);
  EXPECT_EQ("<pre><code></code></pre>", kinds_of(out));
}

TEST(Api, OutOfMemoryIsAStatusAndLeaksNothing) {
  // -p -t99: tabs as 99 times "&nbsp;", so that the output outgrows its first
  // buffer several times.
  const std::string tabs(4000, '\t');
  const std::string expected = highlight(tabs, make_options(false, true, 99));
  const auto to_html = [&](CountingAllocator& allocator, std::string& html) {
    ApiHooks hooks;
    hooks.reallocate = reallocate_counting;
    hooks.allocator_context = &allocator;
    char* bytes = nullptr;
    std::size_t length = 0;
    const int status = to_html_with_hooks(tabs.data(), tabs.size(), COLORUNE_NO_PRE, 99, &bytes, &length, hooks);
    if (bytes != nullptr) html.assign(bytes, length);
    reallocate_counting(&allocator, bytes, 0);
    return status;
  };
  CountingAllocator unlimited;
  std::string html;
  ASSERT_EQ(COLORUNE_OK, to_html(unlimited, html));
  ASSERT_GE(unlimited.allocations, 3) << "the output grew at least once";
  // Each allocation refused in turn: a status, the output whole or none, and
  // nothing held afterwards.
  for (int refuse_at = 1; refuse_at <= unlimited.allocations; ++refuse_at) {
    CountingAllocator allocator;
    allocator.refuse_at = refuse_at;
    html.clear();
    const int status = to_html(allocator, html);
    EXPECT_TRUE(status == COLORUNE_ENOMEM || (status == COLORUNE_OK && html == expected)) << refuse_at;
    EXPECT_EQ(0, allocator.held) << "refusing allocation " << refuse_at;
  }
  for (int refuse_at = 1; refuse_at <= 2; ++refuse_at) {
    CountingAllocator allocator;
    allocator.refuse_at = refuse_at;
    ApiHooks hooks;
    hooks.reallocate = reallocate_counting;
    hooks.allocator_context = &allocator;
    std::string out;
    colorune_converter* converter = nullptr;
    EXPECT_EQ(COLORUNE_ENOMEM, converter_new_with_hooks(0, 4, append, &out, &converter, hooks));
    EXPECT_EQ(nullptr, converter);
    EXPECT_EQ(0, allocator.held);
  }
}

TEST(Api, ThreadsConvertAtOnce) {
  // Different options in each thread: a conversion that saw another's state
  // would show it.
  const std::string source = "#include <x.h>\nint main() { return 'a'; } // done\n\tx = \"s\";\n";
  std::vector<std::string> results(8);
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < results.size(); ++t) {
    threads.emplace_back([&, t] {
      const Options options = options_from_byte(static_cast<unsigned char>(t * 37));
      for (int i = 0; i < 200; ++i) {
        const std::string html = highlight_in_pieces(source, options, "\x02");
        if (i == 0) results[t] = html;
        if (html != results[t]) results[t] = "differs";
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (std::size_t t = 0; t < results.size(); ++t) {
    EXPECT_EQ(highlight(source, options_from_byte(static_cast<unsigned char>(t * 37))), results[t]) << t;
  }
}

}  // namespace
