#include "system/SearchPath.h"

#include "base/Exceptions.h"
#include "base/Text.h"

namespace qs {

std::optional<std::string> FindDelphi10LibElement(const std::string& searchPath) {
    const std::string upper = AsciiUpper(searchPath);
    const size_t withSeparator = upper.find("\\LIB;");
    if (withSeparator != std::string::npos) {
        const size_t sep = withSeparator == 0 ? std::string::npos : searchPath.rfind(';', withSeparator - 1);
        const size_t begin = sep == std::string::npos ? 0 : sep + 1;
        return searchPath.substr(begin, withSeparator + 4 - begin);
    }
    const size_t first = upper.find("\\LIB");
    if (first != std::string::npos && first + 4 == upper.size()) {
        const size_t sep = searchPath.rfind(';');
        const size_t begin = sep == std::string::npos ? 0 : sep + 1;
        return searchPath.substr(begin);
    }
    return std::nullopt;
}

}  // namespace qs
