#include "CmdLine.h"

size_t QsNextArg(const QsChar** pos, QsChar* out) {
    const QsChar* p = *pos;
    size_t len = 0;
    for (;;) {
        while (*p != 0 && *p <= ' ') ++p;
        if (p[0] == '"' && p[1] == '"')
            p += 2;
        else
            break;
    }
    while (*p > ' ') {
        if (*p == '"') {
            ++p;
            while (*p != 0 && *p != '"') out[len++] = *p++;
            if (*p != 0) ++p;
        } else {
            out[len++] = *p++;
        }
    }
    out[len] = 0;
    *pos = p;
    return len;
}

size_t QsSplitArgs(const QsChar* cmdLine, QsChar* buf, const QsChar** args, size_t maxArgs) {
    const QsChar* p = cmdLine;
    QsChar* out = buf;
    size_t count = 0;
    /* Every element is written where its own text started or earlier (each one is at most as long as its text and
     * is followed by at least one separator), so buf never needs more than the command line's length plus one. */
    if (QsNextArg(&p, out) == 0) return 0;
    for (;;) {
        const size_t len = QsNextArg(&p, out);
        if (len == 0) break;
        if (count < maxArgs) {
            args[count] = out;
            out += len + 1;
        }
        ++count;
    }
    return count;
}
