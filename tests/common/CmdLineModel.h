// DeleteMe's command-line splitting rules written again as plainly as possible, as the oracle of the splitter's
// tests and of its fuzz target: a separator is any character at or below the blank outside quotes; a quote
// toggles; "" pairs at the start of an element are skipped; an empty element ends the list. Characters are
// compared as unsigned values of the string's own width: 16-bit units for the splitter itself, bytes where a test
// still speaks 8-bit text.
#pragma once
#include <string>
#include <type_traits>
#include <vector>

namespace qs::test {

template <typename Char>
std::vector<std::basic_string<Char>> ModelSplit(const std::basic_string<Char>& line) {
    using Unit = std::make_unsigned_t<Char>;
    std::vector<std::basic_string<Char>> out;
    size_t i = 0;
    auto sep = [&](size_t k) { return k < line.size() && static_cast<Unit>(line[k]) <= Unit(' '); };
    for (;;) {
        for (;;) {
            while (sep(i)) ++i;
            if (i + 1 < line.size() && line[i] == Char('"') && line[i + 1] == Char('"'))
                i += 2;
            else
                break;
        }
        std::basic_string<Char> el;
        bool quoted = false;
        for (; i < line.size(); ++i) {
            const Char c = line[i];
            if (c == Char('"'))
                quoted = !quoted;
            else if (!quoted && static_cast<Unit>(c) <= Unit(' '))
                break;
            else
                el += c;
        }
        if (el.empty()) break;
        out.push_back(el);
    }
    return out;
}

}  // namespace qs::test
