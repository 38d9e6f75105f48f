// The C API (include/colorune.h) over the converter: checks the arguments,
// gives the output a buffer sized by the input, and says where it goes.

#include <cstdlib>
#include <new>

#include "colorune.h"
#include "highlighter/api_hooks.h"
#include "highlighter/converter.h"
#include "version.h"

struct colorune_converter {
  Converter converter;
  colorune_write_fn write = nullptr;
  void* context = nullptr;
  ApiHooks hooks;
  int status = COLORUNE_OK;  // the failure that stopped it
  bool finished = false;
};

namespace {

constexpr unsigned kKnownOptions =
    COLORUNE_LINE_NUMBERS | COLORUNE_NO_PRE | COLORUNE_UTF8 | COLORUNE_MODERN | COLORUNE_STYLE;

// Output handed to a writing function goes in pieces of at least this size, and
// at most kLargestOutput: a long input gets larger pieces (fewer calls into the
// kernel when they go to a file: a sixth less time than with 64 KiB pieces).
// The fuzz and sanitizer builds drain every buffer often.
#ifdef COLORUNE_SMALL_BUFFERS
constexpr std::size_t kSmallestOutput = 256;
constexpr std::size_t kLargestOutput = 256;
#else
constexpr std::size_t kSmallestOutput = std::size_t{1} << 14;
constexpr std::size_t kLargestOutput = std::size_t{1} << 20;
#endif

void* reallocate(const ApiHooks& hooks, void* pointer, std::size_t size) {
  if (hooks.reallocate != nullptr) return hooks.reallocate(hooks.allocator_context, pointer, size);
  if (size == 0) {
    std::free(pointer);
    return nullptr;
  }
  return std::realloc(pointer, size);
}

// The bytes a buffer of [capacity] takes: the room past it for one block's
// writes, and a final NUL.
constexpr std::size_t allocation_for(std::size_t capacity) { return capacity + kBlockOutputBound + 1; }

bool valid_options(unsigned options, unsigned tab_width) {
  return (options & ~kKnownOptions) == 0 && tab_width >= 1 && tab_width <= 99;
}

Options options_of(unsigned options, unsigned tab_width) {
  Options result;
  result.line_numbers = (options & COLORUNE_LINE_NUMBERS) != 0;
  result.no_pre = (options & COLORUNE_NO_PRE) != 0;
  result.utf8 = (options & COLORUNE_UTF8) != 0;
  result.modern = (options & COLORUNE_MODERN) != 0;
  result.style = (options & COLORUNE_STYLE) != 0;
  result.tab_width = tab_width;
  return result;
}

// The largest capacity a buffer is given: twice that, with the room past it,
// still has a size.
constexpr std::size_t kLargestCapacity = ~std::size_t{0} / 4;

// About the output of [length] input bytes: real code grows by two and a half.
std::size_t estimated_output(std::size_t length) {
#ifdef COLORUNE_SMALL_BUFFERS
  (void)length;
  return 256;
#else
  return length < (kLargestCapacity - 1024) / 3 ? 3 * length + 1024 : kLargestCapacity;
#endif
}

// The output of a conversion kept whole: the buffer grows.
void drain_by_growing(OutputBuffer& out) {
  const ApiHooks& hooks = *static_cast<const ApiHooks*>(out.owner);
  const std::size_t capacity = 2 * out.capacity + kBlockOutputBound;  // holds all written so far
  void* const larger =
      out.capacity <= kLargestCapacity ? reallocate(hooks, out.data, allocation_for(capacity)) : nullptr;
  if (larger == nullptr) {
    out.failed = true;
    out.length = 0;
    return;
  }
  out.data = static_cast<char*>(larger);
  out.capacity = capacity;
}

// The output of a conversion handed to the writing function.
void drain_to_writer(OutputBuffer& out) {
  colorune_converter& self = *static_cast<colorune_converter*>(out.owner);
  if (out.length > 0 && !out.failed && self.write(self.context, out.data, out.length) != 0) out.failed = true;
  out.length = 0;
  if (out.failed || out.capacity >= kLargestOutput || self.converter.walked < out.capacity) return;
  const std::size_t capacity = 4 * out.capacity < kLargestOutput ? 4 * out.capacity : kLargestOutput;
  void* const larger = reallocate(self.hooks, out.data, allocation_for(capacity));
  if (larger == nullptr) return;  // the smaller buffer does as well
  out.data = static_cast<char*>(larger);
  out.capacity = capacity;
}

// Makes a converter in [memory] whose output goes to [write], with a buffer of
// [capacity]; false when there is no memory for the buffer.
bool set_up(colorune_converter& self, unsigned options, unsigned tab_width, colorune_write_fn write, void* context,
            std::size_t capacity, const ApiHooks& hooks) {
  self.write = write;
  self.context = context;
  self.hooks = hooks;
  Converter& c = self.converter;
  c.options = options_of(options, tab_width);
  c.out.data = static_cast<char*>(reallocate(hooks, nullptr, allocation_for(capacity)));
  if (c.out.data == nullptr) return false;
  c.out.capacity = capacity;
  c.out.drain = drain_to_writer;
  c.out.owner = &self;
  start_conversion(c, hooks.baseline_only);
  return true;
}

// Finishes [self]'s conversion and hands the rest of the output on.
int finish(colorune_converter& self) {
  Converter& c = self.converter;
  self.finished = true;
  finish_conversion(c);
  c.out.drain(c.out);
  if (self.hooks.work != nullptr) *self.hooks.work += c.machine.work;
  if (c.out.failed) self.status = COLORUNE_EWRITE;
  return self.status;
}

}  // namespace

int to_html_with_hooks(const char* text, std::size_t length, unsigned options, unsigned tab_width, char** html,
                       std::size_t* html_length, const ApiHooks& hooks) {
  if (html == nullptr || html_length == nullptr) return COLORUNE_EINVAL;
  *html = nullptr;
  *html_length = 0;
  if (!valid_options(options, tab_width) || (text == nullptr && length > 0)) return COLORUNE_EINVAL;

  Converter c;
  c.options = options_of(options, tab_width);
  c.out.capacity = estimated_output(length);
  c.out.data = static_cast<char*>(reallocate(hooks, nullptr, allocation_for(c.out.capacity)));
  if (c.out.data == nullptr) return COLORUNE_ENOMEM;
  c.out.drain = drain_by_growing;
  c.out.owner = const_cast<ApiHooks*>(&hooks);
  start_conversion(c, hooks.baseline_only);
  feed_conversion(c, reinterpret_cast<const unsigned char*>(text), length);
  finish_conversion(c);
  if (hooks.work != nullptr) *hooks.work += c.machine.work;
  if (c.out.failed) {
    reallocate(hooks, c.out.data, 0);
    return COLORUNE_ENOMEM;
  }
  c.out.data[c.out.length] = '\0';
  // The estimate's room past the fragment goes back, when it is worth it.
  if (allocation_for(c.out.capacity) - c.out.length > 4096) {
    void* const smaller = reallocate(hooks, c.out.data, c.out.length + 1);
    if (smaller != nullptr) c.out.data = static_cast<char*>(smaller);
  }
  *html = c.out.data;
  *html_length = c.out.length;
  return COLORUNE_OK;
}

int converter_new_with_hooks(unsigned options, unsigned tab_width, colorune_write_fn write, void* context,
                             colorune_converter** converter, const ApiHooks& hooks) {
  if (converter == nullptr) return COLORUNE_EINVAL;
  *converter = nullptr;
  if (!valid_options(options, tab_width) || write == nullptr) return COLORUNE_EINVAL;
  void* const memory = reallocate(hooks, nullptr, sizeof(colorune_converter));
  if (memory == nullptr) return COLORUNE_ENOMEM;
  auto* const self = new (memory) colorune_converter;
  if (!set_up(*self, options, tab_width, write, context, kSmallestOutput, hooks)) {
    reallocate(hooks, memory, 0);
    return COLORUNE_ENOMEM;
  }
  *converter = self;
  return COLORUNE_OK;
}

extern "C" {

const char* colorune_version(void) { return COLORUNE_VERSION; }

const char* colorune_strerror(int status) {
  switch (status) {
    case COLORUNE_OK: return "success";
    case COLORUNE_EINVAL: return "invalid argument";
    case COLORUNE_ENOMEM: return "out of memory";
    case COLORUNE_EWRITE: return "the writing function failed";
    case COLORUNE_ESTATE: return "the converter was used after it finished or failed";
    default: return "unknown status";
  }
}

int colorune_to_html(const char* text, size_t length, unsigned options, unsigned tab_width, char** html,
                     size_t* html_length) {
  return to_html_with_hooks(text, length, options, tab_width, html, html_length, ApiHooks{});
}

void colorune_free(void* html) { std::free(html); }

int colorune_convert(const char* text, size_t length, unsigned options, unsigned tab_width, colorune_write_fn write,
                     void* context) {
  if (!valid_options(options, tab_width) || write == nullptr || (text == nullptr && length > 0)) {
    return COLORUNE_EINVAL;
  }
  colorune_converter self;
  std::size_t capacity = estimated_output(length);
  capacity = capacity < kSmallestOutput ? kSmallestOutput : capacity > kLargestOutput ? kLargestOutput : capacity;
  if (!set_up(self, options, tab_width, write, context, capacity, ApiHooks{})) return COLORUNE_ENOMEM;
  feed_conversion(self.converter, reinterpret_cast<const unsigned char*>(text), length);
  const int status = finish(self);
  std::free(self.converter.out.data);
  return status;
}

int colorune_converter_new(unsigned options, unsigned tab_width, colorune_write_fn write, void* context,
                           colorune_converter** converter) {
  return converter_new_with_hooks(options, tab_width, write, context, converter, ApiHooks{});
}

int colorune_converter_feed(colorune_converter* converter, const char* bytes, size_t count) {
  if (converter == nullptr || (bytes == nullptr && count > 0)) return COLORUNE_EINVAL;
  if (converter->finished || converter->status != COLORUNE_OK) return COLORUNE_ESTATE;
  feed_conversion(converter->converter, reinterpret_cast<const unsigned char*>(bytes), count);
  if (converter->converter.out.failed) converter->status = COLORUNE_EWRITE;
  return converter->status;
}

int colorune_converter_finish(colorune_converter* converter) {
  if (converter == nullptr) return COLORUNE_EINVAL;
  if (converter->finished || converter->status != COLORUNE_OK) return COLORUNE_ESTATE;
  return finish(*converter);
}

void colorune_converter_free(colorune_converter* converter) {
  if (converter == nullptr) return;
  const ApiHooks hooks = converter->hooks;
  reallocate(hooks, converter->converter.out.data, 0);
  converter->~colorune_converter();
  reallocate(hooks, converter, 0);
}

}  // extern "C"
