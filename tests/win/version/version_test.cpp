// The version resources of Setup.exe and DeleteMe.exe as Windows reads them for a file's Properties: the fixed
// numbers and the texts carry the version of the sources, the product name and a description of the file.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "WinProcess.h"

namespace {

struct Expected {
    const char* path;
    const char* fileName;
    const char* description;
};

const Expected kFiles[] = {
    {QS_SETUP_EXE, "Setup.exe", "Quillostrand setup program"},
    {QS_DELETEME_EXE, "DeleteMe.exe", "Quillostrand Setup self-removal helper"},
};

class VersionResource : public testing::TestWithParam<Expected> {
protected:
    void SetUp() override {
        const std::string path = qs::test::DosPath(GetParam().path);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
        ASSERT_GT(size, 0u) << path << " has no version resource";
        data_.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data_.data())) << path;
    }

    // A text of the US English, Unicode table, the one the file's Properties show; "(none)" when it is missing.
    std::string Text(const char* name) {
        void* value = nullptr;
        UINT length = 0;
        const std::string key = std::string("\\StringFileInfo\\040904B0\\") + name;
        if (!VerQueryValueA(data_.data(), key.c_str(), &value, &length) || value == nullptr) return "(none)";
        return static_cast<const char*>(value);
    }

    std::vector<char> data_;
};

TEST_P(VersionResource, CarriesTheSourceVersionTheProductAndADescription) {
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data_.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const WORD numbers[4] = {QS_VERSION_NUMBERS};
    EXPECT_EQ(fixed->dwFileVersionMS, DWORD(numbers[0]) << 16 | numbers[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, DWORD(numbers[2]) << 16 | numbers[3]);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));

    EXPECT_EQ(Text("ProductName"), "Quillostrand Setup");
    EXPECT_EQ(Text("ProductVersion"), QS_VERSION);
    EXPECT_EQ(Text("FileVersion"), QS_VERSION);
    EXPECT_EQ(Text("FileDescription"), GetParam().description);
    EXPECT_EQ(Text("OriginalFilename"), GetParam().fileName);
}

INSTANTIATE_TEST_SUITE_P(ShippedPrograms, VersionResource, testing::ValuesIn(kFiles),
                         [](const testing::TestParamInfo<Expected>& param) {
                             const std::string name = param.param.fileName;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
