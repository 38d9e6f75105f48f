// hello.cpp: a small program to try colorune on.
#include <cstdio>
#include <string>

#define GREETING "Hello, <world> & friends" /* shown once */

namespace demo {

/* Counts the characters of a text
   that are not spaces. */
static int count_visible(const std::string& text) {
	int count = 0;
	for (char c : text) {
		if (c != ' ' && c != '\t') ++count;
	}
	return count;
}

}  // namespace demo

int main() {
	const char quote = '\'';
	std::printf("%s\n", GREETING);
	std::printf("%c%d%c\n", quote, demo::count_visible(GREETING), quote);
	return 0;
}
