/* The stub's check of its payload: the directory against the trailer's SHA-256, and every file's pieces against
 * the directory's piece hash (BundleFormat.h), hashed by the system's crypto API on every processor. */
#ifndef QS_STUB_CHECK_H
#define QS_STUB_CHECK_H
#include <windows.h>
#include <wincrypt.h>

#include "BundleFormat.h"
#include "StubProgress.h"

/* 1 when every file and the directory hash to what the trailer and the directory say; 0 when one does not, or the
 * system offers no SHA-256. Advances the progress by the payload's size as it goes. */
int PayloadIntact(HCRYPTPROV provider, const uint8_t* image, const QsbBundle* b, Progress* progress);

#endif
