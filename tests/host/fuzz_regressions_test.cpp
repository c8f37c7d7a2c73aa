// Every input the fuzzers found a fault with (tests/fuzz/regressions/<target>/), and the seed corpus
// (tests/fuzz/corpus/<target>/), run through the fuzz targets' own bodies and checks under the host sanitizers.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>

namespace {
struct FuzzViolation : std::runtime_error {
    using std::runtime_error::runtime_error;
};
}  // namespace

#define QS_FUZZ_FAIL(what) throw FuzzViolation(what)
#include "../fuzz/FuzzTargets.h"

namespace qs::fuzz {
void PrintTo(const Target& t, std::ostream* os) { *os << t.name; }
}  // namespace qs::fuzz

namespace {

using qs::fuzz::Target;

std::vector<std::string> FilesIn(const std::string& dir) {
    std::vector<std::string> files;
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') files.push_back(dir + "/" + e->d_name);
        ::closedir(d);
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

class FuzzInputs : public ::testing::TestWithParam<Target> {
protected:
    void TearDown() override { qs::SetNativeDriveRoot("/tmp/qs-drives"); }

    // Runs every file of one folder; returns how many ran.
    size_t RunFolder(const std::string& sub) {
        const std::string dir = std::string(QS_SOURCE_DIR) + "/tests/fuzz/" + sub + "/" + GetParam().name;
        size_t ran = 0;
        for (const std::string& file : FilesIn(dir)) {
            const std::vector<uint8_t> data = ReadAll(file);
            try {
                GetParam().check(data.data(), data.size());
            } catch (const FuzzViolation& v) {
                ADD_FAILURE() << file << ": " << v.what();
            } catch (const std::exception& e) {
                ADD_FAILURE() << file << ": escaped exception: " << e.what();
            }
            ++ran;
        }
        return ran;
    }
};

TEST_P(FuzzInputs, SeedCorpus_PassesEveryCheck) { EXPECT_GE(RunFolder("corpus"), 2u) << "seed corpus missing"; }

TEST_P(FuzzInputs, SavedFindings_PassEveryCheck) {
    if (RunFolder("regressions") == 0) GTEST_SKIP() << "no findings saved for this target";
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputs, ::testing::ValuesIn(qs::fuzz::kTargets),
                         [](const ::testing::TestParamInfo<Target>& p) { return std::string(p.param.name); });

// The checks themselves must be able to fail, or a clean fuzz run means nothing.
TEST(FuzzChecks, ExtractOne_FileOutsideDestination_IsReported) {
    const std::vector<uint8_t> seed =
        ReadAll(std::string(QS_SOURCE_DIR) + "/tests/fuzz/corpus/extract/main");
    ASSERT_FALSE(seed.empty());
    qs::fuzz::ExtractOne(seed.data(), seed.size());  // clean
    qs::fuzz::Scratch& s = qs::fuzz::TheScratch();
    std::ofstream(s.Base() + "/drives/C/stray.txt") << "x";
    EXPECT_THROW(qs::fuzz::ExtractOne(seed.data(), seed.size()), FuzzViolation);
    std::remove((s.Base() + "/drives/C/stray.txt").c_str());
    qs::SetNativeDriveRoot("/tmp/qs-drives");
}

}  // namespace
