/* Splitting a Windows command line the way DeleteMe reads its arguments. Plain C with no runtime calls, so the
 * helper program can use it without a C library, and the native build can unit-test and fuzz it.
 *
 * The text is UTF-16, in 16-bit units, as GetCommandLineW gives it. Only the blank and the double quote have a
 * meaning; every other unit, a surrogate too, is copied as it is, so a name outside any code page comes through
 * whole.
 *
 * Rules:
 *  - elements are separated by runs of units at or below the blank (blanks, tabs, control characters);
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

/* One UTF-16 unit: Windows' wchar_t, so the -W calls take the text directly; natively, where wchar_t is wider,
 * the same 16 bits. */
#ifdef _WIN32
typedef wchar_t QsChar;
#else
typedef unsigned short QsChar;
#endif
typedef char QsCharIs16Bits[sizeof(QsChar) == 2 ? 1 : -1];

/* Reads the element that starts at *pos (skipping separators and leading "" pairs first), copies it without its
 * quotes to out and terminates it with a 0 unit. out must have room for the rest of the text from *pos plus one
 * unit: an element is never longer than the text it comes from. Advances *pos past the element. Returns the
 * element's length in units; 0 means no element is left (out then holds an empty text). */
size_t QsNextArg(const QsChar** pos, QsChar* out);

/* Splits a whole command line. Element 0 (the program's own path) is read and not counted. The elements after it
 * are copied one after another into buf, which must hold the command line's length plus one unit; the first
 * maxArgs of them are pointed to by args[0..maxArgs-1] (the rest only counted). Returns the number of elements
 * after element 0. */
size_t QsSplitArgs(const QsChar* cmdLine, QsChar* buf, const QsChar** args, size_t maxArgs);

#ifdef __cplusplus
}
#endif

#endif
