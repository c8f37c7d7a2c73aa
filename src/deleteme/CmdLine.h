/* Splitting a Windows command line the way DeleteMe reads its arguments. Plain C with no runtime calls, so the
 * helper program can use it without a C library, and the native build can unit-test and fuzz it.
 *
 * Rules:
 *  - elements are separated by runs of characters at or below the blank (blanks, tabs, control characters);
 *  - a double quote opens or closes a quoted stretch in which blanks belong to the element; quote characters are
 *    never part of an element;
 *  - pairs of double quotes at the start of an element are skipped, so an empty quoted element ("") is dropped;
 *  - an element that comes out empty (only a lone quote before the end) ends the list;
 *  - elements are never cut, whatever their length. */
#ifndef QS_DELETEME_CMDLINE_H
#define QS_DELETEME_CMDLINE_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Reads the element that starts at *pos (skipping separators and leading "" pairs first), copies it without its
 * quotes to out and terminates it with NUL. out must have room for the rest of the text from *pos plus one byte:
 * an element is never longer than the text it comes from. Advances *pos past the element. Returns the element's
 * length; 0 means no element is left (out then holds an empty text). */
size_t QsNextArg(const char** pos, char* out);

/* Splits a whole command line. Element 0 (the program's own path) is read and not counted. The elements after it
 * are copied one after another into buf, which must hold strlen(cmdLine) + 1 bytes; the first maxArgs of them are
 * pointed to by args[0..maxArgs-1] (the rest only counted). Returns the number of elements after element 0. */
size_t QsSplitArgs(const char* cmdLine, char* buf, const char** args, size_t maxArgs);

#ifdef __cplusplus
}
#endif

#endif
