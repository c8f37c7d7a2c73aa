#include "system/TransferList.h"

#include "base/Exceptions.h"
#include "base/Text.h"
#include "package/Product.h"

namespace qs {

const char* const kTransferFields[4] = {"Title", "WorkingDir", "Path", "Params"};

std::string TransferValueName(const char* field, long long index) { return field + std::to_string(index); }

bool NamesApplication(const std::string& path) {
    return AsciiLower(path).find(AsciiLower(kProgramFile)) != std::string::npos;
}

std::set<long long> TransferEntryIndexes(const std::vector<std::string>& names) {
    std::set<long long> indexes;
    for (const std::string& raw : names) {
        const std::string name = AsciiLower(raw);
        for (const char* field : kTransferFields) {
            const std::string prefix = AsciiLower(field);
            if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
            const std::string digits = name.substr(prefix.size());
            if (digits.size() > 15 || (digits.size() > 1 && digits[0] == '0')) continue;
            if (digits.find_first_not_of("0123456789") != std::string::npos) continue;
            indexes.insert(std::stoll(digits));
        }
    }
    return indexes;
}

long long ConsecutiveEntries(const std::vector<std::string>& names) {
    std::set<std::string> lower;
    for (const std::string& name : names) lower.insert(AsciiLower(name));
    long long n = 0;
    while (lower.count(AsciiLower(TransferValueName("Path", n)))) ++n;
    return n;
}

std::vector<long long> TransferShiftTargets(const std::set<long long>& present, long long removed, long long count) {
    std::set<long long> targets;
    for (long long p : present) {
        for (long long j : {p - 1, p})
            if (j >= removed && j <= count - 2) targets.insert(j);
    }
    return {targets.begin(), targets.end()};
}

}  // namespace qs
