#include "ProcessDriver.h"

namespace qs::test {

std::string DeleteMeExe() { return DosPath(QS_DELETEME_EXE); }
std::string DeleteMeTestExe() { return DosPath(QS_DELETEME_TEST_EXE); }

bool RunToEnd(Process& process, DWORD ms, std::vector<Box>* boxesSeen) {
    return WaitUntil(
        [&] {
            if (process.WaitExit(20)) return true;
            for (const auto& box : FindBoxes(process.Pid())) {
                if (box.buttons.empty()) continue;  // still being built
                if (boxesSeen) boxesSeen->push_back(box);
                AnswerBox(box, box.buttons.front());
            }
            return false;
        },
        ms);
}

FileHold::FileHold(const std::string& path) {
    handle_ = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
}

void FileHold::Release() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

}  // namespace qs::test
