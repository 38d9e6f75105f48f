// A C++ program that uses the installed library: client INPUT OUTPUT [OPTIONS
// [TAB_WIDTH]] writes the fragment of INPUT, made by colorune_to_html, to
// OUTPUT. Written in C++98, so that it also shows the header to be C++98.

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

#include <colorune.h>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::cerr << "usage: client INPUT OUTPUT [OPTIONS [TAB_WIDTH]] (colorune " << colorune_version() << ")\n";
    return 2;
  }
  const unsigned options = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], NULL, 10)) : 0u;
  const unsigned tab_width =
      argc > 4 ? static_cast<unsigned>(std::strtoul(argv[4], NULL, 10)) : COLORUNE_DEFAULT_TAB_WIDTH;
  std::ifstream in(argv[1], std::ios::binary);
  const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  char* html = NULL;
  std::size_t length = 0;
  const int status = colorune_to_html(source.data(), source.size(), options, tab_width, &html, &length);
  if (status != COLORUNE_OK) {
    std::cerr << "client: " << colorune_strerror(status) << "\n";
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out.write(html, static_cast<std::streamsize>(length));
  colorune_free(html);
  return out ? 0 : 1;
}
