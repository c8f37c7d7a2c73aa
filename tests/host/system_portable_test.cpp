// The portable pieces of system integration: the Delphi 1.0 library element of a search path, the index arithmetic
// of Transfer lists, and the reading of installed-file lists.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "FileListBytes.h"
#include "system/InstalledFileList.h"
#include "system/SearchPath.h"
#include "system/TransferList.h"

namespace {

using qs::FindDelphi10LibElement;

struct SearchPathCase {
    const char* searchPath;
    std::optional<std::string> element;
};

class SearchPathTest : public ::testing::TestWithParam<SearchPathCase> {};

TEST_P(SearchPathTest, FindDelphi10LibElement_GivesTheLibElementInItsOwnLetterCase) {
    EXPECT_EQ(FindDelphi10LibElement(GetParam().searchPath), GetParam().element) << GetParam().searchPath;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, SearchPathTest,
    ::testing::Values(
        SearchPathCase{"C:\\DELPHI\\LIB;C:\\TOOLS", std::string("C:\\DELPHI\\LIB")},
        SearchPathCase{"C:\\TOOLS;c:\\delphi\\lib", std::string("c:\\delphi\\lib")},
        SearchPathCase{"C:\\LIBRARY;C:\\DELPHI\\LIB", std::nullopt},  // first "\LIB" is not at the end
        SearchPathCase{"C:\\DELPHI\\LIB\\", std::nullopt},
        SearchPathCase{"", std::nullopt},
        SearchPathCase{"C:\\TOOLS", std::nullopt},
        SearchPathCase{"C:\\DELPHI\\LIB", std::string("C:\\DELPHI\\LIB")},  // the only element
        SearchPathCase{"\\LIB;X", std::string("\\LIB")},                       // "\LIB;" at the very start
        // The element begins after the ";" nearest before the "\LIB;", not after the first ";".
        SearchPathCase{"A;B;C:\\Delphi\\Lib;D", std::string("C:\\Delphi\\Lib")},
        // "\LIB;" wins over an earlier "\LIB" that is not followed by ";".
        SearchPathCase{"C:\\LIBX;C:\\D\\LIB;E", std::string("C:\\D\\LIB")},
        // The last element counts only when the path's first "\LIB" is the one that ends it.
        SearchPathCase{"C:\\LIBX;C:\\D\\LIB", std::nullopt},
        SearchPathCase{"C:\\A;;C:\\D\\LIB", std::string("C:\\D\\LIB")}));

// ---- Transfer lists

TEST(TransferListTest, TransferValueName_JoinsWordAndDecimalIndex) {
    EXPECT_EQ(qs::TransferValueName("Title", 0), "Title0");
    EXPECT_EQ(qs::TransferValueName("WorkingDir", 12), "WorkingDir12");
}

TEST(TransferListTest, NamesApplication_MatchesQuilstrExeAnywhereInAnyCase) {
    EXPECT_TRUE(qs::NamesApplication("C:\\Q\\Quilstr.exe"));
    EXPECT_TRUE(qs::NamesApplication("C:\\PROG~1\\QUILSTR.EXE"));
    EXPECT_TRUE(qs::NamesApplication("C:\\old\\myquilstr.exe.bak"));
    EXPECT_FALSE(qs::NamesApplication("C:\\Q\\Quilstr.ex"));
    EXPECT_FALSE(qs::NamesApplication(""));
}

TEST(TransferListTest, TransferEntryIndexes_CollectsIndexesOfTheFourFieldsOnly) {
    const std::vector<std::string> names = {"Count",    "Title0",   "path0",  "WORKINGDIR2", "Params7",
                                            "Title01",  "Title-1",  "Title",  "Titles3",     "Other4",
                                            "Params1x", "Path9999", "Title3 "};
    EXPECT_EQ(qs::TransferEntryIndexes(names), (std::set<long long>{0, 2, 7, 9999}));
}

TEST(TransferListTest, TransferEntryIndexes_IgnoresNumbersTooLongToBeReal) {
    EXPECT_TRUE(qs::TransferEntryIndexes({"Title99999999999999999999999"}).empty());
}

// Only Path values count, from 0 and without a gap: a Title alone or a Path after a gap is not an entry to keep.
TEST(TransferListTest, ConsecutiveEntries_CountsPathsFromZeroUpToTheFirstGap) {
    EXPECT_EQ(qs::ConsecutiveEntries({}), 0);
    EXPECT_EQ(qs::ConsecutiveEntries({"Title0", "Path1"}), 0);
    EXPECT_EQ(qs::ConsecutiveEntries({"PATH1", "path0", "Path2", "Path4", "Count"}), 3);
}

struct ShiftCase {
    std::set<long long> present;
    long long removed, count;
    std::vector<long long> targets;
};

// Test names show the removed entry and the count, not the object's bytes.
void PrintTo(const ShiftCase& c, std::ostream* os) { *os << "remove " << c.removed << " of " << c.count; }

class TransferShiftTest : public ::testing::TestWithParam<ShiftCase> {};

TEST_P(TransferShiftTest, TransferShiftTargets_AreTheEntriesThatChange) {
    const ShiftCase& c = GetParam();
    EXPECT_EQ(qs::TransferShiftTargets(c.present, c.removed, c.count), c.targets);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransferShiftTest,
    ::testing::Values(
        // Entries 0..3, the second removed: 2 moves to 1, 3 to 2; the old last entry 3 is left for the caller.
        ShiftCase{{0, 1, 2, 3}, 1, 4, {1, 2}},
        // The removed entry is the last one: nothing is copied.
        ShiftCase{{0, 1, 2}, 2, 3, {}},
        // The only entry.
        ShiftCase{{0}, 0, 1, {}},
        // A count that claims far more entries than exist: only the stored ones and their neighbours move.
        ShiftCase{{0, 1, 2}, 0, 2000000000, {0, 1, 2}},
        // A gap inside the list: entry 1 (absent) takes entry 2; entry 2 takes the absent 3 (empty values).
        ShiftCase{{0, 2, 4}, 0, 5, {0, 1, 2, 3}},
        // Entries beyond Count do not move.
        ShiftCase{{0, 1, 2, 3, 4, 5}, 1, 3, {1}}));

// ---- Installed-file lists

// The bytes after a name carry nothing: filled with 0xAA here, so that a reader that looks at them shows.
constexpr char kFill = '\xAA';

std::vector<uint8_t> Slot(const std::string& name, uint8_t lengthByte) {
    const std::string s = qs::test::ListSlot(name, lengthByte, kFill);
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::vector<uint8_t> List(const std::vector<std::string>& names) { return qs::test::FileList(names, kFill); }

TEST(InstalledFileListTest, ListedFilePaths_NamesEachSlotInTheFolderInOrder) {
    EXPECT_EQ(qs::ListedFilePaths(List({"QUILSTR.EXE", "README.TXT", "A"}), "C:\\Q", false),
              (std::vector<std::string>{"C:\\Q\\QUILSTR.EXE", "C:\\Q\\README.TXT", "C:\\Q\\A"}));
    EXPECT_EQ(qs::ListedFilePaths(List({"A.DLL"}), "C:\\Q\\", false), (std::vector<std::string>{"C:\\Q\\A.DLL"}));
}

TEST(InstalledFileListTest, ListedFilePaths_HelpFileBringsItsIndexOnlyWhenAsked) {
    const auto list = List({"QUILSTR.HLP", "x.Hlp", "NOTE.HLPX", "HLP"});
    EXPECT_EQ(qs::ListedFilePaths(list, "D:\\Q\\", true),
              (std::vector<std::string>{"D:\\Q\\QUILSTR.HLP", "D:\\Q\\QUILSTR.gid", "D:\\Q\\x.Hlp", "D:\\Q\\x.gid",
                                        "D:\\Q\\NOTE.HLPX", "D:\\Q\\HLP"}));
    EXPECT_EQ(qs::ListedFilePaths(list, "D:\\Q\\", false).size(), 4u);
}

TEST(InstalledFileListTest, ListedFilePaths_IgnoresTheRestOfALengthNotAMultipleOf13) {
    auto list = List({"ONE.TXT", "TWO.TXT"});
    list.resize(list.size() + 12, 'Z');
    EXPECT_EQ(qs::ListedFilePaths(list, "C:\\Q\\", false).size(), 2u);
    list.resize(12);
    EXPECT_TRUE(qs::ListedFilePaths(list, "C:\\Q\\", false).empty());
    EXPECT_TRUE(qs::ListedFilePaths({}, "C:\\Q\\", true).empty());
}

TEST(InstalledFileListTest, ListedFilePaths_LengthByteAbove12CountsAs12) {
    std::vector<uint8_t> list = Slot("ABCDEFGH.TXT", 255);
    EXPECT_EQ(qs::ListedFilePaths(list, "C:\\Q\\", false), (std::vector<std::string>{"C:\\Q\\ABCDEFGH.TXT"}));
}

TEST(InstalledFileListTest, ListedFilePaths_SkipsNamesThatWouldReachOutsideTheFolder) {
    const auto list = List({"..\\BOOT.INI", "C:AUTOEXEC", "SUB\\X.TXT", "A/B", "..", ".", "", "CON", "LPT1.TXT",
                            "GOOD.TXT"});
    EXPECT_EQ(qs::ListedFilePaths(list, "C:\\Q\\", true), (std::vector<std::string>{"C:\\Q\\GOOD.TXT"}));
    std::vector<uint8_t> control = Slot("A\tB", 3);
    EXPECT_TRUE(qs::ListedFilePaths(control, "C:\\Q\\", true).empty());
}

// What an update keeps of the version before: only names the new list lacks and that are still on disk, each once,
// in the earlier order; names that could reach outside the folder never come back.
TEST(InstalledFileListTest, WithEarlierFiles_AddsOnlyLeftoversStillOnDisk) {
    const std::vector<uint8_t> now = List({"QUILSTR.EXE", "NEWS.TXT"});
    const std::vector<uint8_t> earlier =
        List({"quilstr.exe", "SAMPLE.QST", "GONE.TXT", "..\\BOOT.INI", "OLD.DLL", "sample.qst"});
    std::vector<std::string> asked;
    const auto onDisk = [&](const std::string& name) {
        asked.push_back(name);
        return name != "GONE.TXT";
    };
    const auto merged = qs::WithEarlierFiles(now, earlier, nullptr, onDisk);
    EXPECT_EQ(qs::ListedFilePaths(merged, "C:\\Q\\", false),
              (std::vector<std::string>{"C:\\Q\\QUILSTR.EXE", "C:\\Q\\NEWS.TXT", "C:\\Q\\SAMPLE.QST",
                                        "C:\\Q\\OLD.DLL"}));
    EXPECT_EQ(asked, (std::vector<std::string>{"SAMPLE.QST", "GONE.TXT", "OLD.DLL"}));
    // Slots keep their bytes, padding included: the record is written as it was read.
    EXPECT_TRUE(std::equal(earlier.begin() + 13, earlier.begin() + 26, merged.begin() + 26));
    // A name the decoder cannot read is dropped rather than guessed.
    const auto none = [](const std::string&) -> std::optional<std::string> { return std::nullopt; };
    EXPECT_EQ(qs::WithEarlierFiles(now, earlier, none, onDisk), now);
}

}  // namespace
