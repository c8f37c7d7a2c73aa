/* QstSetupStub: the front of QstSetup.exe, the one file a user downloads. `mkpak bundle` appends Setup.exe and the
 * packages to it (BundleFormat.h). Started, it checks the whole payload against its directory, extracts it into a
 * new folder under the temporary folder that only administrators and the system may change, starts Setup.exe
 * from there, waits for it to end however it ends, and removes the folder again. Its exit code is Setup.exe's, or
 * 1 when it refused or failed itself (after saying why in a message box).
 *
 * Plain C on the system's C library and kernel, user, common-control and crypto calls, so that the image stays a
 * few ten kilobytes; every name goes through the -W calls, so that a download folder or temporary folder outside
 * the system code page works. Runs elevated (its manifest), as Setup.exe would be. */
#include <windows.h>
#include <sddl.h>
#include <wincrypt.h>

#include "BundleFormat.h"
#include "StubCheck.h"
#include "StubProgress.h"

static const WCHAR kCaption[] = L"Quillostrand Setup";
/* Copies of QstSetup.exe wait for one another: each would otherwise start a Setup.exe that only defers to the
 * first one's window and ends, while the user waits for the second. */
static const WCHAR kTurnName[] = L"QuillostrandSetupBundle";
/* Full control for Administrators and SYSTEM, inherited by every file, nothing from the folder above: no process
 * without administrator rights may change or swap what Setup.exe and its packages are read from. */
static const WCHAR kFolderAcl[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
/* The progress window is shown for a payload at least this large; smaller ones are out before it could be read. */
#define PROGRESS_FROM (8u << 20)
/* Written in pieces of this size, the progress window repainted between them. */
#define PIECE (1u << 20)
/* How long removing the folder keeps trying while the system still holds Setup.exe's image. */
#define REMOVE_TRIES_MS 10000

#define LONG_PATH 32768

/* ---- Texts */

static WCHAR* Alloc(size_t chars) {
    return (WCHAR*)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, chars * sizeof(WCHAR));
}

/* Appends src to dst (cap characters with the terminator), cutting what does not fit. */
static void Cat(WCHAR* dst, size_t cap, const WCHAR* src) {
    size_t n = (size_t)lstrlenW(dst);
    while (*src && n + 1 < cap) dst[n++] = *src++;
    dst[n] = 0;
}

static void Stop(const WCHAR* text) { MessageBoxW(NULL, text, kCaption, MB_OK | MB_ICONSTOP | MB_SETFOREGROUND); }

/* "what name: the system's reason for error". */
static void StopWithError(const WCHAR* what, const WCHAR* name, DWORD error) {
    WCHAR* text = Alloc(LONG_PATH + 1024);
    WCHAR reason[512];
    if (!text) return;
    reason[0] = 0;
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, error, 0, reason, 512, NULL);
    Cat(text, LONG_PATH + 1024, what);
    Cat(text, LONG_PATH + 1024, name);
    Cat(text, LONG_PATH + 1024, L":\n");
    Cat(text, LONG_PATH + 1024, reason[0] ? reason : L"unknown error");
    Stop(text);
    HeapFree(GetProcessHeap(), 0, text);
}

/* The file name part of a path. */
static const WCHAR* BaseName(const WCHAR* path) {
    const WCHAR* base = path;
    for (; *path; ++path)
        if (*path == '\\' || *path == '/' || *path == ':') base = path + 1;
    return base;
}

static void StopDamaged(const WCHAR* self) {
    WCHAR text[1024];
    text[0] = 0;
    Cat(text, 1024, L"The file ");
    Cat(text, 1024, BaseName(self));
    Cat(text, 1024, L" is damaged or incomplete, and nothing was installed.\n\nPlease download it again.");
    Stop(text);
}

/* ---- The folder */

typedef struct Folder {
    WCHAR* path; /* with "\" */
    HANDLE hold; /* open without delete sharing: the folder cannot be renamed or swapped while Setup.exe runs */
} Folder;

/* A new folder "QstSetup-XXXXXXXX" under the temporary folder, with the administrators-only access list. */
static int MakeFolder(HCRYPTPROV provider, Folder* folder) {
    static const WCHAR hex[] = L"0123456789ABCDEF";
    PSECURITY_DESCRIPTOR sd = NULL;
    SECURITY_ATTRIBUTES sa;
    DWORD error = 0, n;
    int attempt, i;
    folder->path = Alloc(LONG_PATH);
    folder->hold = INVALID_HANDLE_VALUE;
    if (!folder->path) return 0;
    n = GetTempPathW(LONG_PATH - 32, folder->path);
    if (n == 0 || n >= LONG_PATH - 32) {
        StopWithError(L"Cannot find the temporary folder", L"", GetLastError());
        return 0;
    }
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kFolderAcl, SDDL_REVISION_1, &sd, NULL)) {
        StopWithError(L"Cannot make the access list for the folder ", folder->path, GetLastError());
        return 0;
    }
    sa.nLength = sizeof sa;
    sa.lpSecurityDescriptor = sd;
    sa.bInheritHandle = FALSE;
    for (attempt = 0; attempt < 100; ++attempt) {
        uint8_t random[4];
        WCHAR name[20] = L"QstSetup-";
        if (!CryptGenRandom(provider, sizeof random, random)) {
            DWORD t = GetTickCount() ^ GetCurrentProcessId() * 2654435761u ^ (DWORD)attempt;
            memcpy(random, &t, sizeof random);
        }
        for (i = 0; i < 4; ++i) {
            name[9 + 2 * i] = hex[random[i] >> 4];
            name[10 + 2 * i] = hex[random[i] & 15];
        }
        name[17] = 0;
        folder->path[n] = 0;
        Cat(folder->path, LONG_PATH, name);
        if (CreateDirectoryW(folder->path, &sa)) {
            error = 0;
            break;
        }
        error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS) break;
    }
    LocalFree(sd);
    if (error != 0) {
        StopWithError(L"Cannot create the folder ", folder->path, error);
        return 0;
    }
    folder->hold = CreateFileW(folder->path, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    Cat(folder->path, LONG_PATH, L"\\");
    return 1;
}

/* Deletes every file in the folder and the folder, trying for a while: the system lets go of a program's image
 * file a moment after the program has ended. */
static void RemoveFolder(Folder* folder) {
    const DWORD start = GetTickCount();
    WCHAR* pattern = Alloc(LONG_PATH);
    WCHAR* file = Alloc(LONG_PATH);
    if (folder->hold != INVALID_HANDLE_VALUE) CloseHandle(folder->hold);
    folder->hold = INVALID_HANDLE_VALUE;
    if (!pattern || !file) return;
    lstrcpynW(pattern, folder->path, LONG_PATH);
    Cat(pattern, LONG_PATH, L"*");
    for (;;) {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW(pattern, &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
                lstrcpynW(file, folder->path, LONG_PATH);
                Cat(file, LONG_PATH, found.cFileName);
                SetFileAttributesW(file, FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(file);
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        if (RemoveDirectoryW(folder->path) || GetFileAttributesW(folder->path) == INVALID_FILE_ATTRIBUTES) break;
        if (GetTickCount() - start >= REMOVE_TRIES_MS) break;
        Sleep(50);
    }
    HeapFree(GetProcessHeap(), 0, pattern);
    HeapFree(GetProcessHeap(), 0, file);
}

/* Writes one checked file of the payload into the folder. */
static int WriteOut(const Folder* folder, const uint8_t* image, const QsbFile* f, WCHAR* path, Progress* progress) {
    WCHAR name[QSB_MAX_NAME + 1];
    uint64_t left = f->size;
    const uint8_t* data = image + f->offset;
    HANDLE file;
    int i;
    for (i = 0; f->name[i]; ++i) name[i] = (WCHAR)(unsigned char)f->name[i]; /* plain ASCII names */
    name[i] = 0;
    lstrcpynW(path, folder->path, LONG_PATH);
    Cat(path, LONG_PATH, name);
    file = CreateFileW(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        StopWithError(L"Cannot create the file ", path, GetLastError());
        return 0;
    }
    while (left > 0) {
        const DWORD piece = left < PIECE ? (DWORD)left : PIECE;
        DWORD written = 0;
        if (!WriteFile(file, data, piece, &written, NULL) || written != piece) {
            const DWORD error = GetLastError();
            CloseHandle(file);
            StopWithError(L"Cannot write the file ", path, error);
            return 0;
        }
        data += piece;
        left -= piece;
        Advance(progress, piece);
    }
    if (!CloseHandle(file)) {
        StopWithError(L"Cannot write the file ", path, GetLastError());
        return 0;
    }
    return 1;
}

/* Starts Setup.exe from the folder and waits for it; its exit code, or 1 when it could not start. */
static DWORD RunSetup(const Folder* folder, WCHAR* path, Progress* progress) {
    STARTUPINFOW si;
    PROCESS_INFORMATION pi;
    WCHAR* command = Alloc(LONG_PATH + 3);
    DWORD code = 1;
    if (!command) return 1;
    lstrcpynW(path, folder->path, LONG_PATH);
    Cat(path, LONG_PATH, L"" QSB_SETUP_NAME);
    Cat(command, LONG_PATH + 3, L"\"");
    Cat(command, LONG_PATH + 3, path);
    Cat(command, LONG_PATH + 3, L"\"");
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    if (!CreateProcessW(path, command, NULL, NULL, FALSE, 0, NULL, folder->path, &si, &pi)) {
        StopWithError(L"Cannot start ", path, GetLastError());
    } else {
        /* The progress window stays until Setup.exe's own window can take over. */
        if (progress->window) {
            WaitForInputIdle(pi.hProcess, 30000);
            CloseProgress(progress);
        }
        CloseHandle(pi.hThread);
        WaitForSingleObject(pi.hProcess, INFINITE);
        if (!GetExitCodeProcess(pi.hProcess, &code)) code = 1;
        CloseHandle(pi.hProcess);
    }
    HeapFree(GetProcessHeap(), 0, command);
    return code;
}

/* ---- The program */

/* The image of this program, mapped whole and read-only, with writing by others denied while it is open. */
typedef struct Image {
    HANDLE file, mapping;
    const uint8_t* bytes;
    uint64_t size;
} Image;

static int OpenImage(const WCHAR* self, Image* image) {
    LARGE_INTEGER size;
    image->file = CreateFileW(self, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                              NULL);
    if (image->file == INVALID_HANDLE_VALUE) {
        StopWithError(L"Cannot read ", self, GetLastError());
        return 0;
    }
    if (!GetFileSizeEx(image->file, &size) || (uint64_t)size.QuadPart > (SIZE_T)-1 / 2) {
        StopDamaged(self);
        return 0;
    }
    image->size = (uint64_t)size.QuadPart;
    image->mapping = CreateFileMappingW(image->file, NULL, PAGE_READONLY, 0, 0, NULL);
    image->bytes = image->mapping ? (const uint8_t*)MapViewOfFile(image->mapping, FILE_MAP_READ, 0, 0, 0) : NULL;
    if (!image->bytes) {
        StopWithError(L"Cannot read ", self, GetLastError());
        return 0;
    }
    return 1;
}

/* Checks the payload, extracts it, runs Setup.exe and removes the folder again; Setup.exe's exit code, or 1. */
static DWORD CheckAndRun(const WCHAR* self, const Image* image, const QsbBundle* bundle, WCHAR* path) {
    Progress progress = {NULL, 0, 0, NULL, 96, NULL, NULL, 0};
    Folder folder = {NULL, INVALID_HANDLE_VALUE};
    HCRYPTPROV provider = 0;
    const uint64_t payload = bundle->directoryOffset - bundle->payloadOffset;
    PayloadCheck check;
    uint32_t i;
    DWORD code = 1, error = 0;
    if (!CryptAcquireContextW(&provider, NULL, NULL, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) {
        StopWithError(L"Cannot check ", self, GetLastError());
        return 1;
    }
    progress.total = 2 * payload; /* checked, then written */
    if (payload >= PROGRESS_FROM) ShowProgress(&progress, kCaption);
    check = CheckPayload(provider, image->bytes, bundle, &progress, &error);
    if (check != PAYLOAD_INTACT) {
        CloseProgress(&progress);
        /* A download is called damaged only when its bytes are: a system that cannot hash says so itself. */
        if (check == PAYLOAD_DAMAGED) StopDamaged(self);
        else StopWithError(L"Cannot check ", self, error ? error : (DWORD)NTE_FAIL);
    } else if (MakeFolder(provider, &folder)) {
        int written = 1;
        for (i = 0; i < bundle->fileCount && written; ++i)
            written = WriteOut(&folder, image->bytes, &bundle->files[i], path, &progress);
        if (written) code = RunSetup(&folder, path, &progress);
        RemoveFolder(&folder);
    }
    CloseProgress(&progress);
    CryptReleaseContext(provider, 0);
    return code;
}

static DWORD Main(void) {
    WCHAR* self = Alloc(LONG_PATH);
    WCHAR* path = Alloc(LONG_PATH);
    Image image = {INVALID_HANDLE_VALUE, NULL, NULL, 0};
    QsbBundle bundle;
    HANDLE turn;
    DWORD n, code;

    if (!self || !path) return 1;
    n = GetModuleFileNameW(NULL, self, LONG_PATH);
    if (n == 0 || n >= LONG_PATH) return 1;
    if (!OpenImage(self, &image)) return 1;
    if (QsbRead(image.bytes, image.size, &bundle) != QSB_OK) {
        StopDamaged(self);
        return 1;
    }
    /* A copy waits before it shows anything: a progress window left standing while the first copy's Setup.exe
     * runs would soon be taken for a program that hangs. The user is shown the setup that runs instead. */
    turn = CreateMutexW(NULL, FALSE, kTurnName);
    if (turn && WaitForSingleObject(turn, 0) == WAIT_TIMEOUT) {
        HWND running = FindWindowW(NULL, kCaption);
        if (running) SetForegroundWindow(GetLastActivePopup(running));
        WaitForSingleObject(turn, INFINITE); /* abandoned by a copy that was ended: our turn all the same */
    }
    code = CheckAndRun(self, &image, &bundle, path);
    if (turn) {
        ReleaseMutex(turn);
        CloseHandle(turn);
    }
    return code;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR cmdLine, int show) {
    (void)instance;
    (void)previous;
    (void)cmdLine;
    (void)show;
    return (int)Main();
}
