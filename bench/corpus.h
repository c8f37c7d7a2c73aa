// The benchmark corpus, gathered at run time from files every bootstrapped machine has: 32-bit Windows DLLs
// shipped with Wine, plain documentation text, and already-compressed .gz files. Nothing of it is kept in the
// repository. The same corpus (scaled) serves the decoder benchmark and the Windows-side extraction benchmark.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qs::bench {

struct CorpusFile {
    std::string cls;      // "dll", "text" or "gz"
    std::string name;     // short unique plain name: d0001.dll, t0001.txt, g0001.gz
    std::string source;   // where it was taken from
    std::vector<uint8_t> data;
};

// About totalBytes in all: half DLLs, three eighths text, one eighth .gz; files taken in path order, so the same
// machine gives the same corpus. Raises std::runtime_error when a class finds nothing.
std::vector<CorpusFile> BuildCorpus(size_t totalBytes = size_t(16) << 20);

// Writes every file of the corpus into dir (created if missing) under its short name.
void WriteCorpus(const std::vector<CorpusFile>& corpus, const std::string& dir);

}  // namespace qs::bench
