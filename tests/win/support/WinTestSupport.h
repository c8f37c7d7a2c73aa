// Shared helpers of the Windows-side suites: scratch folders, registry seeding, message-box answers.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "PakBytes.h"
#include "WinRegistry.h"
#include "WinRemoveTree.h"

namespace qs::test {

// A fresh empty folder under the Wine prefix's temporary folder, removed with its contents on destruction.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& tag);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return path_; }  // ends in "\"
private:
    std::string path_;
};

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool PathExists(const std::string& path);

// The packing library's encoder, behind one name so the tests do not depend on its spelling.
std::string PackForTest(const std::string& content);

// A package entry holding content packed for real, with its CRC and the given DOS time.
RawPakEntry PackRawEntry(const std::string& name, const std::string& content, uint32_t dosTime = 0x5A8F6000);

// Registry seeds that fail the test when the value cannot be written (the plain readers and writers are in
// WinRegistry.h).
void SetRaw(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& bytes);
void SetSz(HKEY root, const std::string& key, const std::string& name, const std::string& text);  // with its NUL
// A REG_SZ value's text without its one terminating NUL, failing the test when it has another type; nothing when
// missing.
std::optional<std::string> SzOf(HKEY root, const std::string& key, const std::string& name);

// Records every message box shown through the application object and answers it with a fixed button.
class MessageBoxRecorder {
public:
    explicit MessageBoxRecorder(int answer = IDOK);
    ~MessageBoxRecorder();
    struct Box {
        std::string text, caption;
        UINT flags;
    };
    const std::vector<Box>& Boxes() const { return boxes_; }
    void SetAnswer(int answer) { answer_ = answer; }

private:
    std::vector<Box> boxes_;
    int answer_;
};

}  // namespace qs::test
