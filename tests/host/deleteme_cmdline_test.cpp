// DeleteMe's command-line splitter, natively: the quoting rules, dropped empty quotes, separators, long elements,
// 16-bit units outside ASCII, and the bound on the output buffer (checked by ASan with buffers of exactly the
// documented size).
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "../common/CmdLineModel.h"
#include "deleteme/CmdLine.h"

namespace {

using qs::test::ModelSplit;
using Args = std::vector<std::u16string>;

// The text as the splitter takes it: its units with a terminating 0 (a 0 inside the text ends it there).
std::vector<QsChar> Units(const std::u16string& text) {
    std::vector<QsChar> units(text.begin(), text.end());
    units.push_back(0);
    return units;
}

size_t LengthOf(const QsChar* p) {
    size_t n = 0;
    while (p[n] != 0) ++n;
    return n;
}

std::u16string TextOf(const QsChar* p) { return std::u16string(p, p + LengthOf(p)); }

// Elements after element 0, read through QsSplitArgs with a buffer of exactly length + 1 units.
Args Split(const std::u16string& cmdLine, size_t* total = nullptr) {
    const std::vector<QsChar> line = Units(cmdLine);
    std::unique_ptr<QsChar[]> buf(new QsChar[LengthOf(line.data()) + 1]);
    const QsChar* args[64] = {};
    const size_t count = QsSplitArgs(line.data(), buf.get(), args, 64);
    if (total) *total = count;
    Args out;
    for (size_t i = 0; i < count && i < 64; ++i) out.push_back(TextOf(args[i]));
    return out;
}

// Every element including element 0, through QsNextArg with a buffer of exactly the rest's length + 1.
Args AllElements(const std::u16string& cmdLine) {
    const std::vector<QsChar> line = Units(cmdLine);
    Args out;
    const QsChar* p = line.data();
    for (;;) {
        std::unique_ptr<QsChar[]> buf(new QsChar[LengthOf(p) + 1]);
        const size_t len = QsNextArg(&p, buf.get());
        EXPECT_EQ(len, LengthOf(buf.get()));
        if (len == 0) break;
        out.push_back(TextOf(buf.get()));
    }
    return out;
}

struct SplitCase {
    const char* name;
    std::u16string cmdLine;
    Args expected;  // elements after element 0
};

// Each case through both entry points, and against the model.
void CheckCases(const std::vector<SplitCase>& cases) {
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

TEST(CmdLineSplit, TableOfQuotingAndSeparatorRules) {
    const std::u16string longArg(300, u'x');
    const std::u16string longPath = u"C:\\" + std::u16string(280, u'd') + u"\\Setup.exe";
    CheckCases({
        {"no arguments", u"DeleteMe.exe", {}},
        {"empty line", u"", {}},
        {"only blanks", u"   \t  ", {}},
        {"quoted own path only", u"\"C:\\Temp\\DeleteMe.exe\"", {}},
        {"three plain", u"prog a b c", {u"a", u"b", u"c"}},
        {"quoted with blanks", u"\"C:\\T\\DeleteMe.exe\" \"C:\\Program Files\\Q\\Setup.exe\" \"Done now.\" \"Cap\"",
         {u"C:\\Program Files\\Q\\Setup.exe", u"Done now.", u"Cap"}},
        {"empty quoted message dropped", u"\"h\" \"C:\\Q\\Setup.exe\" \"\" \"Cap\"", {u"C:\\Q\\Setup.exe", u"Cap"}},
        {"several empty quotes dropped", u"p \"\" \"\"\"\" a \"\"", {u"a"}},
        {"leading quote pairs skipped", u"p \"\"\"\"abc", {u"abc"}},
        {"quotes inside an element vanish", u"p a\"b c\"d", {u"ab cd"}},
        {"empty stretch inside element", u"p ab\"\"cd", {u"abcd"}},
        {"quote at start then text", u"p \"\"x\"y z\"", {u"xy z"}},
        {"control characters separate", u"p\x01\x02" u"a\t\r\nb\x1f" u"c", {u"a", u"b", u"c"}},
        {"runs of separators", u"p    a     b", {u"a", u"b"}},
        {"control chars kept when quoted", u"p \"a\tb\"", {u"a\tb"}},
        {"unterminated quote runs to the end", u"p \"a b", {u"a b"}},
        {"lone quote at the end ends the list", u"p a \"", {u"a"}},
        {"argument over 256 characters whole", u"p " + longArg + u" b", {longArg, u"b"}},
        {"quoted path over 256 characters whole", u"\"h\" \"" + longPath + u"\" \"m\" \"c\"", {longPath, u"m", u"c"}},
        {"trailing separators", u"p a  \t", {u"a"}},
        {"leading separators before own path", u"  \t p a", {u"a"}},
        {"empty own path skipped", u"\"\" p a", {u"a"}},
    });
}

// A unit is compared whole: one whose low byte is a blank, tab, quote or 0 (Р U+0420, Љ U+0409, Т U+0422, Ā
// U+0100) is an ordinary character, and surrogates, pairs or lone, pass through untouched.
TEST(CmdLineSplit, UnitsBeyondAsciiAreOrdinaryCharacters) {
    CheckCases({
        {"Latin-1 letters", u"p \u00e4\u00f6 \"\u00fc x\"", {u"\u00e4\u00f6", u"\u00fc x"}},
        {"low byte a blank or a tab", u"p \u0420\u0422\u0120x\u0409y b", {u"\u0420\u0422\u0120x\u0409y", u"b"}},
        {"low byte a quote inside quotes", u"p \"\u0422 \u0422\" \u0422", {u"\u0422 \u0422", u"\u0422"}},
        {"low byte 0 ends nothing", u"p \u0100\u4e00 b", {u"\u0100\u4e00", u"b"}},
        {"wide blank and quote look-alikes are characters", u"p a\u3000b\uff02c\u00a0d", {u"a\u3000b\uff02c\u00a0d"}},
        {"surrogate pair and lone surrogates kept", u"p \"\U0001F600 x\" \xd800y\xdfff \uffff",
         {u"\U0001F600 x", u"\xd800y\xdfff", u"\uffff"}},
        {"the helper's line with Polish and Cyrillic names",
         u"\"C:\\users\\\u0421\u0435\u0440\u0433\u0435\u0439\\Temp\\DeleteMe.exe\" "
         u"\"C:\\users\\\u0141ukasz\\Downloads\\Setup.exe\" \"Usuni\u0119to \u2014 \u0413\u043e\u0442\u043e\u0432\u043e.\" "
         u"\"Za\u017c\u00f3\u0142\u0107\"",
         {u"C:\\users\\\u0141ukasz\\Downloads\\Setup.exe", u"Usuni\u0119to \u2014 \u0413\u043e\u0442\u043e\u0432\u043e.",
          u"Za\u017c\u00f3\u0142\u0107"}},
    });
}

TEST(CmdLineSplit, CountsElementsBeyondTheOnesItKeeps) {
    const std::vector<QsChar> line = Units(u"p a b c d e");
    std::vector<QsChar> buf(line.size());
    const QsChar* args[3] = {};
    EXPECT_EQ(QsSplitArgs(line.data(), buf.data(), args, 3), 5u);
    EXPECT_EQ(TextOf(args[0]), u"a");
    EXPECT_EQ(TextOf(args[1]), u"b");
    EXPECT_EQ(TextOf(args[2]), u"c");
    EXPECT_EQ(QsSplitArgs(line.data(), buf.data(), nullptr, 0), 5u);
}

TEST(CmdLineSplit, NextArgAdvancesPastEachElement) {
    const std::vector<QsChar> line = Units(u"one  \"t w o\"\t\u0141");
    const QsChar* p = line.data();
    QsChar out[32];
    EXPECT_EQ(QsNextArg(&p, out), 3u);
    EXPECT_EQ(TextOf(out), u"one");
    EXPECT_EQ(QsNextArg(&p, out), 5u);
    EXPECT_EQ(TextOf(out), u"t w o");
    EXPECT_EQ(QsNextArg(&p, out), 1u);
    EXPECT_EQ(TextOf(out), u"\u0141");
    EXPECT_EQ(QsNextArg(&p, out), 0u);
    EXPECT_EQ(TextOf(out), u"");
    EXPECT_EQ(p, line.data() + line.size() - 1);
    EXPECT_EQ(QsNextArg(&p, out), 0u);  // stays at the end
    EXPECT_EQ(p, line.data() + line.size() - 1);
}

// The command line StartSelfRemoval builds (four quoted elements, single blanks) comes back element by element.
TEST(CmdLineSplit, QuotedElementsRoundTrip) {
    const Args elems = {u"C:\\users\\me\\Temp\\DeleteMe.exe", u"C:\\Program Files\\Quillostrand\\Setup.exe",
                        u"Quillostrand has been successfully uninstalled.", u"Uninstall complete"};
    std::u16string line;
    for (const auto& e : elems) line += (line.empty() ? u"\"" : u" \"") + e + u"\"";
    EXPECT_EQ(Split(line), Args(elems.begin() + 1, elems.end()));
}

// Random lines over an alphabet heavy in quotes and separators, and in units that only look like them in their
// low byte: the splitter agrees with the model and stays inside buffers of the documented size (ASan reports any
// overrun).
TEST(CmdLineSplit, AgreesWithModelOnRandomLines) {
    std::mt19937 rng(20240611);
    const char16_t alphabet[] = {u'"', u'"', u'"', u' ', u' ', u'\t', u'\x01', u'a', u'b', u'\\', u':', u'\x7f',
                                 u'\xff', u'\u0420', u'\u0422', u'\u0100', u'\u0141', u'\xd83d', u'\xde00', u'\uffff'};
    for (int round = 0; round < 5000; ++round) {
        std::u16string line;
        const int len = static_cast<int>(rng() % 40);
        for (int i = 0; i < len; ++i) line += alphabet[rng() % (sizeof alphabet / sizeof alphabet[0])];
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
