#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "framework/Application.h"

namespace qs::test {

ScratchDir::ScratchDir(const std::string& tag) {
    char tmp[MAX_PATH];
    GetTempPathA(MAX_PATH, tmp);
    std::string base = tmp;
    if (base.back() != '\\') base += '\\';
    path_ = base + "qs-" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + "\\";
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchDir::~ScratchDir() {
    char cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    // The extraction makes folders current; leave them so they can go.
    if (std::string(cwd).rfind(path_.substr(0, path_.size() - 1), 0) == 0) {
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        SetCurrentDirectoryA(tmp);
    }
    RemoveTree(path_);
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), std::streamsize(bytes.size()));
}

std::string ReadFileBytes(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool PathExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void SetRaw(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& bytes) {
    ASSERT_TRUE(WriteRaw(root, key, name, type, bytes)) << key << " " << name;
}

void SetSz(HKEY root, const std::string& key, const std::string& name, const std::string& text) {
    SetRaw(root, key, name, REG_SZ, Sz(text));
}

std::optional<std::string> SzOf(HKEY root, const std::string& key, const std::string& name) {
    auto raw = ReadRaw(root, key, name);
    if (!raw) return std::nullopt;
    EXPECT_EQ(raw->type, DWORD(REG_SZ)) << name;
    std::string text = raw->bytes;
    if (!text.empty() && text.back() == '\0') text.pop_back();
    return text;
}

MessageBoxRecorder::MessageBoxRecorder(int answer) : answer_(answer) {
    Application().SetMessageBoxHook([this](const std::string& text, const std::string& caption, UINT flags) {
        boxes_.push_back({text, caption, flags});
        return answer_;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() { Application().SetMessageBoxHook(nullptr); }

}  // namespace qs::test
