/* colorune: C and C++ source text to highlighted HTML.

   The whole fragment at once:

       char *html;
       size_t html_length;
       if (colorune_to_html(text, length, COLORUNE_LINE_NUMBERS, COLORUNE_DEFAULT_TAB_WIDTH,
                            &html, &html_length) == COLORUNE_OK) {
           fwrite(html, 1, html_length, stdout);
           colorune_free(html);
       }

   Input in pieces, output handed to a function of the caller's:

       static int to_file(void *file, const char *bytes, size_t count) {
           return fwrite(bytes, 1, count, (FILE *)file) != count;
       }
       colorune_converter *converter;
       colorune_converter_new(0, COLORUNE_DEFAULT_TAB_WIDTH, to_file, stdout, &converter);
       while ((count = fread(buffer, 1, sizeof buffer, input)) > 0)
           colorune_converter_feed(converter, buffer, count);
       status = colorune_converter_finish(converter);
       colorune_converter_free(converter);

   Every function gives the same bytes for the same input and options as the
   program colorune, whatever the pieces the input comes in. Nothing aborts or
   prints: every failure is a status. The library keeps no global mutable
   state: any number of converters may run in any number of threads at once. */

#ifndef COLORUNE_H
#define COLORUNE_H

#include <stddef.h>

/* Windows: the functions come from colorune.dll, unless the static library is
   linked (COLORUNE_STATIC). Elsewhere: the names the shared library shows. */
#if defined(_WIN32)
#if defined(COLORUNE_STATIC) || defined(COLORUNE_BUILDING)
#define COLORUNE_API
#else
#define COLORUNE_API __declspec(dllimport)
#endif
#elif defined(__GNUC__) && __GNUC__ >= 4
#define COLORUNE_API __attribute__((visibility("default")))
#else
#define COLORUNE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Options: any of these bits, or 0 for the program's defaults. */
#define COLORUNE_LINE_NUMBERS 0x01u /* -l: a line number at the start of every line */
#define COLORUNE_NO_PRE 0x02u       /* -p: no pre element; spaces as &nbsp;, line feeds as <br> */
#define COLORUNE_UTF8 0x04u         /* -u: read the text as UTF-8 rather than as byte pairs */
#define COLORUNE_MODERN 0x08u       /* -m: the C and C++ of today (C++11 to C++26, C99 to C23) */
#define COLORUNE_STYLE 0x10u        /* -s: the colours in each tag, for pages without the style sheet */

/* -t<n>: tabs expand to stops every tab_width columns, 1 to 99. */
#define COLORUNE_DEFAULT_TAB_WIDTH 4u

/* Statuses. */
#define COLORUNE_OK 0
#define COLORUNE_EINVAL 1 /* a tab width outside 1..99, an unknown option bit, NULL text with a length,
                             or NULL where a result or the writing function belongs */
#define COLORUNE_ENOMEM 2 /* no memory left */
#define COLORUNE_EWRITE 3 /* the writing function returned non-zero */
#define COLORUNE_ESTATE 4 /* a converter used after finish or after an error */

/* The version of the library, as the program's help text gives it ("1.0.1"). */
COLORUNE_API const char *colorune_version(void);

/* A short English description of a status; never NULL (an unknown status has one too). */
COLORUNE_API const char *colorune_strerror(int status);

/* Converts text[0..length) and stores the whole fragment in one new buffer, NUL-terminated,
   in *html and its length in *html_length (the fragment holds any NUL bytes of the input, so
   its length is what counts). Release the buffer with colorune_free. NULL text is allowed
   with a length of 0. On failure *html is NULL and *html_length 0. */
COLORUNE_API int colorune_to_html(const char *text, size_t length, unsigned options, unsigned tab_width,
                                  char **html, size_t *html_length);

/* Releases a buffer from colorune_to_html; NULL is allowed. */
COLORUNE_API void colorune_free(void *html);

/* Writes count bytes of the fragment somewhere; returns 0, or non-zero to stop the conversion,
   which then ends with COLORUNE_EWRITE. Called with count > 0 only. */
typedef int (*colorune_write_fn)(void *context, const char *bytes, size_t count);

/* Converts text[0..length) and hands the fragment to write(context, bytes, count) in pieces. */
COLORUNE_API int colorune_convert(const char *text, size_t length, unsigned options, unsigned tab_width,
                                  colorune_write_fn write, void *context);

/* A conversion of input that comes in pieces of any size (a byte at a time too): for files
   and streams. Its memory stays the same whatever the size of the input. */
typedef struct colorune_converter colorune_converter;

/* Makes a converter in *converter (NULL on failure). */
COLORUNE_API int colorune_converter_new(unsigned options, unsigned tab_width, colorune_write_fn write,
                                        void *context, colorune_converter **converter);

/* The next count bytes of the input (bytes may be NULL when count is 0). Some of the fragment
   may be handed to the writing function now, the rest later. After a failure the converter
   takes no more input: every further call returns COLORUNE_ESTATE. */
COLORUNE_API int colorune_converter_feed(colorune_converter *converter, const char *bytes, size_t count);

/* The end of the input: the rest of the fragment goes to the writing function. After it the
   converter takes nothing more (COLORUNE_ESTATE); free it. */
COLORUNE_API int colorune_converter_finish(colorune_converter *converter);

/* Releases a converter, finished or not; NULL is allowed. */
COLORUNE_API void colorune_converter_free(colorune_converter *converter);

#ifdef __cplusplus
}
#endif

#endif /* COLORUNE_H */
