// Modern C++: what -m reads as today's compilers do.
#include <concepts>
#include <coroutine>
#include <cstdint>
#include <string_view>

namespace demo {

template <typename T>
concept Number = std::integral<T> || std::floating_point<T>;

constexpr std::uint64_t kMask = 0xFFFF'FFFF'0000'0000ull;
constexpr double kEpsilon = 1.5e-3, kHuge = 0x1p+10;
inline constexpr int kMillion = 1'000'000;

[[nodiscard]] constexpr auto square(Number auto x) noexcept -> decltype(x) {
  static_assert(sizeof(x) <= 8, "too wide");
  return x * x;
}

constexpr std::string_view kUsage = R"(usage: demo "file" [--flag]
  \n stays a backslash and an n
)";
constexpr std::string_view kQuoted = R"json({"a": ")", "b": [1, 2]})json";
const char8_t* const kText = u8R"--(a ")" inside)--";

struct Task {
  struct promise_type;
  std::coroutine_handle<promise_type> handle = nullptr;
};

Task count_to(int n) {
  for (int i = 0; i != n; ++i) co_yield i;
  co_return;
}

class Widget final {
 public:
  virtual ~Widget() = default;
  bool ready() const noexcept { return state_ != nullptr and not closed_; }

 private:
  const void* state_ = nullptr;
  bool closed_ = false;
  alignas(64) char buffer_[64] = {};
};

#if 0
  Don't worry: an apostrophe in disabled text ends with its line.
#endif
char unterminated = 'x;
int after = 1;

}  // namespace demo
