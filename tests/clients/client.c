/* A C program that uses the installed library as its users' programs do:
       client INPUT OUTPUT [OPTIONS [TAB_WIDTH]]
   converts INPUT with the option bits OPTIONS (a number, 0 by default) three
   ways (a converter fed in pieces, colorune_convert, colorune_to_html), checks
   that the three agree, and writes the fragment's bytes to OUTPUT. Written in
   C89, so that it also shows the header to be C89. */

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <colorune.h>

struct Text {
  char *bytes;
  size_t length;
};

static int append(void *context, const char *bytes, size_t count) {
  struct Text *text = (struct Text *)context;
  char *larger = (char *)realloc(text->bytes, text->length + count);
  if (larger == NULL) return 1;
  memcpy(larger + text->length, bytes, count);
  text->bytes = larger;
  text->length += count;
  return 0;
}

static int fail(const char *what, int status) {
  fprintf(stderr, "client: %s: %s\n", what, colorune_strerror(status));
  return 1;
}

int main(int argc, char **argv) {
  unsigned options = argc > 3 ? (unsigned)strtoul(argv[3], NULL, 10) : 0u;
  unsigned tab_width = argc > 4 ? (unsigned)strtoul(argv[4], NULL, 10) : COLORUNE_DEFAULT_TAB_WIDTH;
  struct Text source = {NULL, 0};
  struct Text fed = {NULL, 0};
  struct Text converted = {NULL, 0};
  char *html = NULL;
  size_t html_length = 0;
  colorune_converter *converter = NULL;
  char piece[1000];
  size_t count;
  int status;
  FILE *in;
  FILE *out;

  if (argc < 3) {
    fprintf(stderr, "usage: client INPUT OUTPUT [OPTIONS [TAB_WIDTH]] (colorune %s)\n", colorune_version());
    return 2;
  }
  in = fopen(argv[1], "rb");
  if (in == NULL) return fail(argv[1], COLORUNE_EINVAL);
  status = colorune_converter_new(options, tab_width, append, &fed, &converter);
  if (status != COLORUNE_OK) return fail("colorune_converter_new", status);
  while ((count = fread(piece, 1, sizeof piece, in)) > 0) {
    status = colorune_converter_feed(converter, piece, count);
    if (status != COLORUNE_OK) return fail("colorune_converter_feed", status);
    if (append(&source, piece, count) != 0) return fail("memory", COLORUNE_ENOMEM);
  }
  fclose(in);
  status = colorune_converter_finish(converter);
  colorune_converter_free(converter);
  if (status != COLORUNE_OK) return fail("colorune_converter_finish", status);

  status = colorune_convert(source.bytes, source.length, options, tab_width, append, &converted);
  if (status != COLORUNE_OK) return fail("colorune_convert", status);
  status = colorune_to_html(source.bytes, source.length, options, tab_width, &html, &html_length);
  if (status != COLORUNE_OK) return fail("colorune_to_html", status);
  if (html_length != fed.length || memcmp(html, fed.bytes, fed.length) != 0 || converted.length != fed.length ||
      memcmp(converted.bytes, fed.bytes, fed.length) != 0) {
    fprintf(stderr, "client: the three conversions differ\n");
    return 1;
  }

  out = fopen(argv[2], "wb");
  if (out == NULL || fwrite(html, 1, html_length, out) != html_length || fclose(out) != 0) {
    return fail(argv[2], COLORUNE_EWRITE);
  }
  colorune_free(html);
  free(source.bytes);
  free(fed.bytes);
  free(converted.bytes);
  return 0;
}
