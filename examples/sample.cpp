// sample.cpp: word frequencies of standard input, most frequent first.
#include <algorithm>
#include <cctype>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#define TOP_N 10  /* how many words to show */

namespace {

/* Splits a line into lower-case words;
   anything that is not a letter separates them. */
std::vector<std::string> split_words(const std::string& line) {
	std::vector<std::string> words;
	std::string word;
	for (char c : line) {
		if (std::isalpha(static_cast<unsigned char>(c))) {
			word += static_cast<char>(std::tolower(c));
		} else if (!word.empty()) {
			words.push_back(word);
			word.clear();
		}
	}
	if (!word.empty()) words.push_back(word);
	return words;
}

}  // namespace

int main() {
	std::map<std::string, long> counts;
	std::string line;
	while (std::getline(std::cin, line)) {
		for (const auto& w : split_words(line)) ++counts[w];
	}
	std::vector<std::pair<std::string, long>> sorted(counts.begin(), counts.end());
	std::sort(sorted.begin(), sorted.end(),
	          [](const auto& a, const auto& b) { return a.second > b.second; });
	for (std::size_t i = 0; i < sorted.size() && i < TOP_N; ++i) {
		std::cout << sorted[i].first << '\t' << sorted[i].second << "\n";
	}
	return sorted.empty() ? 1 : 0;  // nothing read: "no words" & exit 1
}
