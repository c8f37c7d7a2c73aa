// DeleteMe's command-line splitting rules written again as plainly as possible, as the oracle of the splitter's
// tests and of its fuzz target: a separator is any character at or below the blank outside quotes; a quote
// toggles; "" pairs at the start of an element are skipped; an empty element ends the list.
#pragma once
#include <string>
#include <vector>

namespace qs::test {

inline std::vector<std::string> ModelSplit(const std::string& line) {
    std::vector<std::string> out;
    size_t i = 0;
    auto sep = [&](size_t k) { return k < line.size() && static_cast<unsigned char>(line[k]) <= ' '; };
    for (;;) {
        for (;;) {
            while (sep(i)) ++i;
            if (i + 1 < line.size() && line[i] == '"' && line[i + 1] == '"')
                i += 2;
            else
                break;
        }
        std::string el;
        bool quoted = false;
        for (; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && static_cast<unsigned char>(c) <= ' ')
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
