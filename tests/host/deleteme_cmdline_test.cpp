// DeleteMe's command-line splitter, natively: the quoting rules, dropped empty quotes, separators, long elements
// and the bound on the output buffer (checked by ASan with buffers of exactly the documented size).
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../common/CmdLineModel.h"
#include "deleteme/CmdLine.h"

namespace {

using qs::test::ModelSplit;

// Elements after element 0, read through QsSplitArgs with a buffer of exactly strlen + 1 bytes.
std::vector<std::string> Split(const std::string& cmdLine, size_t* total = nullptr) {
    const size_t n = std::strlen(cmdLine.c_str());
    std::unique_ptr<char[]> buf(new char[n + 1]);
    const char* args[64] = {};
    const size_t count = QsSplitArgs(cmdLine.c_str(), buf.get(), args, 64);
    if (total) *total = count;
    std::vector<std::string> out;
    for (size_t i = 0; i < count && i < 64; ++i) out.emplace_back(args[i]);
    return out;
}

// Every element including element 0, through QsNextArg with a buffer of exactly the rest's length + 1.
std::vector<std::string> AllElements(const std::string& cmdLine) {
    std::vector<std::string> out;
    const char* p = cmdLine.c_str();
    for (;;) {
        std::unique_ptr<char[]> buf(new char[std::strlen(p) + 1]);
        const size_t len = QsNextArg(&p, buf.get());
        EXPECT_EQ(len, std::strlen(buf.get()));
        if (len == 0) break;
        out.emplace_back(buf.get());
    }
    return out;
}

using Args = std::vector<std::string>;

struct SplitCase {
    const char* name;
    std::string cmdLine;
    Args expected;  // elements after element 0
};

TEST(CmdLineSplit, TableOfQuotingAndSeparatorRules) {
    const std::string longArg(300, 'x');
    const std::string longPath = "C:\\" + std::string(280, 'd') + "\\Setup.exe";
    const std::vector<SplitCase> cases = {
        {"no arguments", "DeleteMe.exe", {}},
        {"empty line", "", {}},
        {"only blanks", "   \t  ", {}},
        {"quoted own path only", "\"C:\\Temp\\DeleteMe.exe\"", {}},
        {"three plain", "prog a b c", {"a", "b", "c"}},
        {"quoted with blanks", "\"C:\\T\\DeleteMe.exe\" \"C:\\Program Files\\Q\\Setup.exe\" \"Done now.\" \"Cap\"",
         {"C:\\Program Files\\Q\\Setup.exe", "Done now.", "Cap"}},
        {"empty quoted message dropped", "\"h\" \"C:\\Q\\Setup.exe\" \"\" \"Cap\"", {"C:\\Q\\Setup.exe", "Cap"}},
        {"several empty quotes dropped", "p \"\" \"\"\"\" a \"\"", {"a"}},
        {"leading quote pairs skipped", "p \"\"\"\"abc", {"abc"}},
        {"quotes inside an element vanish", "p a\"b c\"d", {"ab cd"}},
        {"empty stretch inside element", "p ab\"\"cd", {"abcd"}},
        {"quote at start then text", "p \"\"x\"y z\"", {"xy z"}},
        {"control characters separate", "p\x01\x02" "a\t\r\nb\x1f" "c", {"a", "b", "c"}},
        {"runs of separators", "p    a     b", {"a", "b"}},
        {"control chars kept when quoted", "p \"a\tb\"", {"a\tb"}},
        {"unterminated quote runs to the end", "p \"a b", {"a b"}},
        {"lone quote at the end ends the list", "p a \"", {"a"}},
        {"high characters belong to elements", "p \xe4\xf6 \"\xfc x\"", {"\xe4\xf6", "\xfc x"}},
        {"argument over 256 characters whole", "p " + longArg + " b", {longArg, "b"}},
        {"quoted path over 256 characters whole", "\"h\" \"" + longPath + "\" \"m\" \"c\"", {longPath, "m", "c"}},
        {"trailing separators", "p a  \t", {"a"}},
        {"leading separators before own path", "  \t p a", {"a"}},
        {"empty own path skipped", "\"\" p a", {"a"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        size_t total = 0;
        EXPECT_EQ(Split(c.cmdLine, &total), c.expected);
        EXPECT_EQ(total, c.expected.size());
        const Args all = AllElements(c.cmdLine);
        EXPECT_EQ(all, ModelSplit(c.cmdLine));
        if (!all.empty()) {
            EXPECT_EQ(Args(all.begin() + 1, all.end()), c.expected);
        }
    }
}

TEST(CmdLineSplit, CountsElementsBeyondTheOnesItKeeps) {
    const std::string line = "p a b c d e";
    std::unique_ptr<char[]> buf(new char[line.size() + 1]);
    const char* args[3] = {};
    EXPECT_EQ(QsSplitArgs(line.c_str(), buf.get(), args, 3), 5u);
    EXPECT_STREQ(args[0], "a");
    EXPECT_STREQ(args[1], "b");
    EXPECT_STREQ(args[2], "c");
    EXPECT_EQ(QsSplitArgs(line.c_str(), buf.get(), nullptr, 0), 5u);
}

TEST(CmdLineSplit, NextArgAdvancesPastEachElement) {
    const char* line = "one  \"t w o\"\t3";
    const char* p = line;
    char out[32];
    EXPECT_EQ(QsNextArg(&p, out), 3u);
    EXPECT_STREQ(out, "one");
    EXPECT_EQ(QsNextArg(&p, out), 5u);
    EXPECT_STREQ(out, "t w o");
    EXPECT_EQ(QsNextArg(&p, out), 1u);
    EXPECT_STREQ(out, "3");
    EXPECT_EQ(QsNextArg(&p, out), 0u);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(*p, '\0');
    EXPECT_EQ(QsNextArg(&p, out), 0u);  // stays at the end
}

// The command line StartSelfRemoval builds (four quoted elements, single blanks) comes back element by element.
TEST(CmdLineSplit, QuotedElementsRoundTrip) {
    const Args elems = {"C:\\users\\me\\Temp\\DeleteMe.exe", "C:\\Program Files\\Quillostrand\\Setup.exe",
                        "Quillostrand has been successfully uninstalled.", "Uninstall complete"};
    std::string line;
    for (const auto& e : elems) line += (line.empty() ? "\"" : " \"") + e + "\"";
    EXPECT_EQ(Split(line), Args(elems.begin() + 1, elems.end()));
}

// Random lines over an alphabet heavy in quotes and separators: the splitter agrees with the model and stays
// inside buffers of the documented size (ASan reports any overrun).
TEST(CmdLineSplit, AgreesWithModelOnRandomLines) {
    std::mt19937 rng(20240611);
    const char alphabet[] = {'"', '"', '"', ' ', ' ', '\t', '\x01', 'a', 'b', '\\', ':', '\x7f', '\xff'};
    for (int round = 0; round < 5000; ++round) {
        std::string line;
        const int len = static_cast<int>(rng() % 40);
        for (int i = 0; i < len; ++i) line += alphabet[rng() % sizeof alphabet];
        SCOPED_TRACE(testing::PrintToString(line));
        const Args model = ModelSplit(line);
        ASSERT_EQ(AllElements(line), model);
        size_t total = 0;
        const Args split = Split(line, &total);
        ASSERT_EQ(total, model.empty() ? 0 : model.size() - 1);
        ASSERT_EQ(split, model.empty() ? Args{} : Args(model.begin() + 1, model.end()));
    }
}

}  // namespace
