// Index arithmetic of a Delphi Transfer list (entries Title<n>, Path<n>, WorkingDir<n>, Params<n>, counted by
// "Count"). Portable: no Win32 types. Walks touch only the entries that exist, so a damaged Count that claims
// two billion entries costs no more than the handful actually stored.
#pragma once
#include <set>
#include <string>
#include <vector>

namespace qs {

// The four values of an entry, in the order an entry is copied.
extern const char* const kTransferFields[4];  // "Title", "WorkingDir", "Path", "Params"

// "Title" + 3 -> "Title3".
std::string TransferValueName(const char* field, long long index);

// True when an entry's Path names the application: lower-cased, it contains "quilstr.exe".
bool NamesApplication(const std::string& path);

// The entry indexes that have at least one of the four values among names (letter case ignored; the number in
// decimal without leading zeros, as entries are numbered).
std::set<long long> TransferEntryIndexes(const std::vector<std::string>& names);

// How many entries stand without a gap from entry 0, judged by their Path values among names (letter case
// ignored): where a list without a readable Count puts a new entry, so that none of the user's is overwritten.
long long ConsecutiveEntries(const std::vector<std::string>& names);

// The entries j, in rising order, that closing the gap at `removed` changes: removed <= j <= count - 2 and entry j
// or j + 1 exists. Each gets the values of entry j + 1 (empty values when j + 1 does not exist).
std::vector<long long> TransferShiftTargets(const std::set<long long>& present, long long removed, long long count);

}  // namespace qs
