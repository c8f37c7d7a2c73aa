/* The payload of QstSetup.exe: the setup program and its packages appended to QstSetupStub.exe. Portable C,
 * header only, so that the stub (C, no runtime beyond the system's), the packing tool (C++) and the fuzz target
 * read it with the same code. The packing tool's BuildBundle is the one writer.
 *
 * Layout, all numbers little-endian:
 *
 *     stub image | file 0 | file 1 | ... | directory | 0..7 zero bytes | trailer (64 bytes)
 *
 *   directory: per file, in payload order: size (u64), piece hash (32 bytes), name length (u8), name (ASCII)
 *   trailer:   payload offset (u64), directory offset (u64), directory size (u32), file count (u32),
 *              SHA-256 of the directory (32 bytes), magic "QSTBNDL2"
 *
 * A file's piece hash is the SHA-256 of the SHA-256 values of its pieces of QSB_PIECE bytes (the last one shorter;
 * an empty file has none), one after another. The pieces of a large package can so be checked on every core at
 * once, where one SHA-256 over the whole file keeps all but one core idle.
 *
 * The files lie back to back from the payload offset up to the directory. The bundle's length is a multiple of
 * 8, so an Authenticode signature added afterwards (its certificate table appended at the end, named by the PE
 * header's security directory) needs no padding, and the trailer ends where the certificate table begins. The
 * signature's hash covers everything before that table, the payload included.
 *
 * QsbRead checks the structure only; the SHA-256 values are checked by the caller, which has the hash. */
#ifndef QS_STUB_BUNDLE_FORMAT_H
#define QS_STUB_BUNDLE_FORMAT_H

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#define QSB_MAGIC "QSTBNDL2"
#define QSB_MAGIC_SIZE 8
#define QSB_TRAILER_SIZE 64
#define QSB_SHA256_SIZE 32
#define QSB_PIECE ((uint64_t)1 << 20)
/* 8.3 names: the packages, their signatures and Setup.exe. */
#define QSB_MAX_NAME 12
#define QSB_MAX_FILES 16
#define QSB_ENTRY_FIXED (8 + QSB_SHA256_SIZE + 1)
#define QSB_ALIGN 8
/* The one file the stub starts. */
#define QSB_SETUP_NAME "Setup.exe"

typedef struct QsbFile {
    uint64_t offset; /* from the start of the image */
    uint64_t size;
    uint8_t pieceHash[QSB_SHA256_SIZE];
    char name[QSB_MAX_NAME + 1];
} QsbFile;

typedef struct QsbBundle {
    uint64_t payloadOffset;
    uint64_t directoryOffset;
    uint32_t directorySize;
    uint32_t fileCount;
    uint8_t directorySha256[QSB_SHA256_SIZE];
    uint64_t end; /* where the trailer ends: the certificate table, or the end of the image */
    QsbFile files[QSB_MAX_FILES];
} QsbBundle;

typedef enum QsbResult {
    QSB_OK = 0,
    QSB_NO_PAYLOAD, /* no trailer where one belongs: a bare stub, or a bundle cut short */
    QSB_DAMAGED     /* a trailer, but something in it or the directory does not fit */
} QsbResult;

static inline uint64_t QsbPieceCount(uint64_t size) { return size / QSB_PIECE + (size % QSB_PIECE != 0); }

static inline uint32_t QsbGet32(const uint8_t* p) {
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}
static inline uint64_t QsbGet64(const uint8_t* p) { return (uint64_t)QsbGet32(p) | (uint64_t)QsbGet32(p + 4) << 32; }
static inline void QsbPut32(uint8_t* p, uint32_t v) {
    p[0] = (uint8_t)v;
    p[1] = (uint8_t)(v >> 8);
    p[2] = (uint8_t)(v >> 16);
    p[3] = (uint8_t)(v >> 24);
}
static inline void QsbPut64(uint8_t* p, uint64_t v) {
    QsbPut32(p, (uint32_t)v);
    QsbPut32(p + 4, (uint32_t)(v >> 32));
}

/* Where a PE image's Authenticode certificate table begins (0 when it has none), read from its headers. Returns
 * 0 for an image too short or not a PE file, 1 otherwise. A table that does not lie at the end of the image is a
 * damaged one, and so is a table reaching past it: both fail. */
static inline int QsbCertificateTable(const uint8_t* image, uint64_t size, uint64_t* tableAt) {
    uint64_t pe, dirs, at, len;
    uint16_t magic;
    *tableAt = 0;
    if (size < 64 || image[0] != 'M' || image[1] != 'Z') return 0;
    pe = QsbGet32(image + 60);
    if (pe > size || size - pe < 24 + 2 || memcmp(image + pe, "PE\0\0", 4) != 0) return 0;
    magic = (uint16_t)(image[pe + 24] | image[pe + 25] << 8);
    if (magic == 0x10b) dirs = pe + 24 + 96; /* PE32 */
    else if (magic == 0x20b) dirs = pe + 24 + 112; /* PE32+ */
    else return 0;
    /* Data directory 4, the security directory: a file offset and a size. */
    if (dirs + 5 * 8 > size) return 0;
    at = QsbGet32(image + dirs + 4 * 8);
    len = QsbGet32(image + dirs + 4 * 8 + 4);
    if (len == 0) return 1;
    if (at == 0 || at > size || size - at != len) return 0;
    *tableAt = at;
    return 1;
}

/* A directory name the stub may create in its folder: 1 to 12 characters of letters, digits, '.', '_' and '-',
 * not starting with '.'. */
static inline int QsbPlainName(const uint8_t* name, size_t len) {
    size_t i;
    if (len == 0 || len > QSB_MAX_NAME || name[0] == '.') return 0;
    for (i = 0; i < len; ++i) {
        const uint8_t c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
              c == '-'))
            return 0;
    }
    return 1;
}

static inline int QsbSameName(const char* a, const char* b) {
    for (;; ++a, ++b) {
        char x = *a, y = *b;
        if (x >= 'A' && x <= 'Z') x = (char)(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = (char)(y - 'A' + 'a');
        if (x != y) return 0;
        if (!x) return 1;
    }
}

/* Finds the trailer that ends at end, or up to 7 zero bytes before it (a signing tool's padding). */
static inline int QsbFindTrailer(const uint8_t* image, uint64_t end, uint64_t* trailerAt) {
    uint64_t e = end;
    int pad;
    for (pad = 0; pad < QSB_ALIGN; ++pad) {
        if (e < QSB_TRAILER_SIZE) return 0;
        if (memcmp(image + e - QSB_MAGIC_SIZE, QSB_MAGIC, QSB_MAGIC_SIZE) == 0) {
            *trailerAt = e - QSB_TRAILER_SIZE;
            return 1;
        }
        if (image[e - 1] != 0) return 0;
        --e;
    }
    return 0;
}

/* Reads the trailer and directory of the image (size bytes, all of them readable). QSB_OK fills out: every file
 * lies inside the payload, back to back, under a plain name given once (letter case ignored), and one of them is
 * Setup.exe. */
static inline QsbResult QsbRead(const uint8_t* image, uint64_t size, QsbBundle* out) {
    uint64_t end, trailerAt, at, pos, dirEnd;
    const uint8_t* t;
    uint32_t i, j;
    int haveSetup = 0;
    memset(out, 0, sizeof *out);
    if (!QsbCertificateTable(image, size, &end)) return QSB_NO_PAYLOAD;
    if (end == 0) end = size;
    if (!QsbFindTrailer(image, end, &trailerAt)) return QSB_NO_PAYLOAD;
    out->end = end;
    t = image + trailerAt;
    out->payloadOffset = QsbGet64(t);
    out->directoryOffset = QsbGet64(t + 8);
    out->directorySize = QsbGet32(t + 16);
    out->fileCount = QsbGet32(t + 20);
    memcpy(out->directorySha256, t + 24, QSB_SHA256_SIZE);

    if (out->fileCount == 0 || out->fileCount > QSB_MAX_FILES) return QSB_DAMAGED;
    if (out->payloadOffset < 64 || out->payloadOffset > out->directoryOffset) return QSB_DAMAGED;
    if (out->directoryOffset > trailerAt || trailerAt - out->directoryOffset < out->directorySize) return QSB_DAMAGED;
    dirEnd = out->directoryOffset + out->directorySize;
    if (trailerAt - dirEnd >= QSB_ALIGN) return QSB_DAMAGED;
    for (pos = dirEnd; pos < trailerAt; ++pos)
        if (image[pos] != 0) return QSB_DAMAGED;

    at = out->payloadOffset;
    pos = out->directoryOffset;
    for (i = 0; i < out->fileCount; ++i) {
        QsbFile* f = &out->files[i];
        uint8_t len;
        if (dirEnd - pos < QSB_ENTRY_FIXED) return QSB_DAMAGED;
        f->size = QsbGet64(image + pos);
        memcpy(f->pieceHash, image + pos + 8, QSB_SHA256_SIZE);
        len = image[pos + 8 + QSB_SHA256_SIZE];
        pos += QSB_ENTRY_FIXED;
        if (dirEnd - pos < len || !QsbPlainName(image + pos, len)) return QSB_DAMAGED;
        memcpy(f->name, image + pos, len);
        f->name[len] = 0;
        pos += len;
        if (out->directoryOffset - at < f->size) return QSB_DAMAGED;
        f->offset = at;
        at += f->size;
        for (j = 0; j < i; ++j)
            if (QsbSameName(out->files[j].name, f->name)) return QSB_DAMAGED;
        if (QsbSameName(f->name, QSB_SETUP_NAME)) haveSetup = 1;
    }
    if (pos != dirEnd || at != out->directoryOffset || !haveSetup) return QSB_DAMAGED;
    return QSB_OK;
}

#endif
