/* The stub's check of its payload (StubCheck.h). */
#include "StubCheck.h"

/* Threads that check the payload's pieces, at most: one for each processor up to this. */
#define MAX_THREADS 16

/* SHA-256 of size bytes; 0 when the system offers no SHA-256. */
static int Sha256(HCRYPTPROV provider, const uint8_t* data, uint64_t size, uint8_t digest[QSB_SHA256_SIZE]) {
    HCRYPTHASH hash;
    DWORD len = QSB_SHA256_SIZE;
    int ok;
    if (!CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) return 0;
    ok = 1;
    while (ok && size > 0) {
        const DWORD piece = size < QSB_PIECE ? (DWORD)size : (DWORD)QSB_PIECE;
        ok = CryptHashData(hash, data, piece, 0) != FALSE;
        data += piece;
        size -= piece;
    }
    ok = ok && CryptGetHashParam(hash, HP_HASHVAL, digest, &len, 0) && len == QSB_SHA256_SIZE;
    CryptDestroyHash(hash);
    return ok;
}

/* The pieces of every file, hashed by as many threads as there are processors, each taking the next piece. */
typedef struct PieceCheck {
    const uint8_t* image;
    const QsbBundle* bundle;
    uint64_t firstPiece[QSB_MAX_FILES + 1]; /* of each file, in one count over the whole payload */
    uint8_t* digests;                        /* QSB_SHA256_SIZE bytes for each piece */
    volatile LONG next, done, failed;
    volatile LONG error; /* the system's reason of the first failure */
} PieceCheck;

static void Fail(PieceCheck* c) {
    InterlockedCompareExchange(&c->error, (LONG)GetLastError(), 0);
    InterlockedExchange(&c->failed, 1);
}

static DWORD WINAPI HashPieces(void* arg) {
    PieceCheck* c = (PieceCheck*)arg;
    const uint64_t count = c->firstPiece[c->bundle->fileCount];
    HCRYPTPROV provider;
    uint32_t f = 0;
    /* A provider of its own: CryptoAPI promises nothing of one provider shared by threads. */
    if (!CryptAcquireContextW(&provider, NULL, NULL, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
        Fail(c);
        return 0;
    }
    while (!c->failed) {
        const uint64_t piece = (uint64_t)(InterlockedIncrement(&c->next) - 1);
        const QsbFile* file;
        uint64_t at;
        if (piece >= count) break;
        while (piece >= c->firstPiece[f + 1]) ++f; /* pieces are handed out in order */
        file = &c->bundle->files[f];
        at = (piece - c->firstPiece[f]) * QSB_PIECE;
        if (!Sha256(provider, c->image + file->offset + at, file->size - at < QSB_PIECE ? file->size - at : QSB_PIECE,
                    c->digests + piece * QSB_SHA256_SIZE))
            Fail(c);
        InterlockedIncrement(&c->done);
    }
    CryptReleaseContext(provider, 0);
    return 0;
}

/* Runs HashPieces on every processor (on this thread alone when no other can start), keeping the progress window
 * painted meanwhile. 0 when a piece could not be hashed. */
static int HashAllPieces(PieceCheck* c, Progress* progress, uint64_t payload) {
    HANDLE threads[MAX_THREADS];
    SYSTEM_INFO system;
    const uint64_t count = c->firstPiece[c->bundle->fileCount];
    uint64_t shown = 0;
    DWORD n = 0, wanted, i;
    GetSystemInfo(&system);
    wanted = system.dwNumberOfProcessors < MAX_THREADS ? system.dwNumberOfProcessors : MAX_THREADS;
    if (wanted > count) wanted = (DWORD)count;
    for (; n < wanted; ++n) {
        threads[n] = CreateThread(NULL, 64 << 10, HashPieces, c, STACK_SIZE_PARAM_IS_A_RESERVATION, NULL);
        if (!threads[n]) break;
    }
    if (n == 0) HashPieces(c);
    while (n > 0 && WaitForMultipleObjects(n, threads, TRUE, progress->window ? 50 : INFINITE) == WAIT_TIMEOUT) {
        uint64_t done = (uint64_t)c->done * QSB_PIECE;
        if (done > payload) done = payload;
        Advance(progress, done - shown);
        shown = done;
    }
    for (i = 0; i < n; ++i) CloseHandle(threads[i]);
    Advance(progress, payload - shown);
    return !c->failed;
}

PayloadCheck CheckPayload(HCRYPTPROV provider, const uint8_t* image, const QsbBundle* b, Progress* progress,
                          DWORD* error) {
    uint8_t digest[QSB_SHA256_SIZE];
    PieceCheck check;
    PayloadCheck result = PAYLOAD_INTACT;
    uint64_t payload = 0;
    uint32_t i;
    if (!Sha256(provider, image + b->directoryOffset, b->directorySize, digest)) {
        *error = GetLastError();
        return PAYLOAD_UNCHECKED;
    }
    if (memcmp(digest, b->directorySha256, QSB_SHA256_SIZE) != 0) return PAYLOAD_DAMAGED;
    ZeroMemory(&check, sizeof check);
    check.image = image;
    check.bundle = b;
    for (i = 0; i < b->fileCount; ++i) {
        check.firstPiece[i + 1] = check.firstPiece[i] + QsbPieceCount(b->files[i].size);
        payload += b->files[i].size;
    }
    check.digests =
        (uint8_t*)HeapAlloc(GetProcessHeap(), 0, (SIZE_T)check.firstPiece[b->fileCount] * QSB_SHA256_SIZE + 1);
    if (!check.digests) {
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return PAYLOAD_UNCHECKED;
    }
    if (!HashAllPieces(&check, progress, payload)) {
        *error = (DWORD)check.error;
        result = PAYLOAD_UNCHECKED;
    }
    for (i = 0; result == PAYLOAD_INTACT && i < b->fileCount; ++i) {
        const uint64_t first = check.firstPiece[i], count = check.firstPiece[i + 1] - first;
        if (!Sha256(provider, check.digests + first * QSB_SHA256_SIZE, count * QSB_SHA256_SIZE, digest)) {
            *error = GetLastError();
            result = PAYLOAD_UNCHECKED;
        } else if (memcmp(digest, b->files[i].pieceHash, QSB_SHA256_SIZE) != 0) {
            result = PAYLOAD_DAMAGED;
        }
    }
    HeapFree(GetProcessHeap(), 0, check.digests);
    return result;
}
