// modern.cpp: templates, lambdas and the preprocessor.
#pragma once
#include <map>
#include <string>
#include <vector>

#if defined(_WIN32) && !defined(NOMINMAX)
#  define NOMINMAX 1
#endif

#define CHECK(cond, msg)                  \
	do {                                  \
		if (!(cond)) throw Error(msg);    \
	} while (false)

namespace geo {

template <typename T, int N = 3>
class Vector final {
public:
	explicit Vector(T fill = T{}) { for (auto& v : data_) v = fill; }
	T& operator[](int i) { return data_[i]; }
	static_assert(N > 0, "a vector has at least one <dimension>");
private:
	T data_[N];
};

/* A block comment
   over three lines, with a / and a * inside
   and "quotes" that mean nothing. */
inline double dot(const Vector<double>& a, const Vector<double>& b) {
	double sum = 0.0;	// running total
	for (int i = 0; i < 3; ++i) sum += a[i] * b[i];
	return sum >= 0 ? sum : -sum;
}

}  // namespace geo

int main(int argc, char** argv) {
	std::map<std::string, std::vector<int>> seen;
	auto count = [&seen](const std::string& key) -> std::size_t { return seen[key].size(); };
	const char* path = argc > 1 ? argv[1] : "C:\\temp\\in.txt";
	char sep = '\\', quote = '\'';
	unsigned long long big = 0xFFFFull >> 4 << 2;
	CHECK(count(path) == 0u, "fresh map");
	return static_cast<int>(big & 1) + sep / quote;
}
