#include <gtest/gtest.h>

#include "WinTestSupport.h"
#include "base/BinFile.h"
#include "base/Exceptions.h"

using namespace qs;
using qs::test::ScratchDir;

TEST(BinFile, ReadOnlyModeReadsAWriteProtectedFile) {
    ScratchDir dir("binfile");
    const std::string name = dir.Path() + "ro.bin";
    qs::test::WriteFileBytes(name, std::string("QVPAK\x01\x02\x03\x04", 9));
    SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileModeForReading(OpenMode::ReadOnly);
    BinFile f;
    f.OpenRead(name);
    char magic[5];
    f.ReadExact(magic, 5);
    EXPECT_EQ(std::string(magic, 5), "QVPAK");
    EXPECT_EQ(f.ReadU32(), 0x04030201u);
    try {
        f.ReadU8();
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "Read beyond end of file");
    }
    f.Close();
    SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(BinFile, MissingFileAndDeniedFolderGiveTheirTexts) {
    ScratchDir dir("binfile");
    BinFile f;
    try {
        f.OpenRead(dir.Path() + "missing.pak");
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "File not found");
    }
}
