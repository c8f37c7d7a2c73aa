/* The stub's check of its payload: the directory against the trailer's SHA-256, and every file's pieces against
 * the directory's piece hash (BundleFormat.h), hashed by the system's crypto API on every processor. */
#ifndef QS_STUB_CHECK_H
#define QS_STUB_CHECK_H
#include <windows.h>
#include <wincrypt.h>

#include "BundleFormat.h"
#include "StubProgress.h"

typedef enum PayloadCheck {
    PAYLOAD_INTACT,   /* every file and the directory hash to what the trailer and the directory say */
    PAYLOAD_DAMAGED,  /* one does not */
    PAYLOAD_UNCHECKED /* the system could not hash them (no SHA-256, no memory): the reason is in *error */
} PayloadCheck;

/* Checks the payload, advancing the progress by its size as it goes. */
PayloadCheck CheckPayload(HCRYPTPROV provider, const uint8_t* image, const QsbBundle* b, Progress* progress,
                          DWORD* error);

#endif
