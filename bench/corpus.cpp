#include "corpus.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace qs::bench {

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

// Plain text: no NUL and almost only printable bytes, tabs and line ends.
bool LooksLikeText(const std::vector<uint8_t>& d) {
    if (d.size() < 256) return false;
    size_t odd = 0;
    for (uint8_t b : d) {
        if (b == 0) return false;
        if (b < 32 && b != '\n' && b != '\r' && b != '\t' && b != '\f') ++odd;
    }
    return odd * 100 < d.size();
}

std::vector<fs::path> FilesUnder(const fs::path& root, bool recursive) {
    std::vector<fs::path> out;
    std::error_code ec;
    if (!fs::is_directory(root, ec)) return out;
    if (recursive) {
        for (auto it = fs::recursive_directory_iterator(root, fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            if (it->is_regular_file(ec) && !it->is_symlink(ec)) out.push_back(it->path());
    } else {
        for (auto it = fs::directory_iterator(root, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
            if (it->is_regular_file(ec)) out.push_back(it->path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

void Take(std::vector<CorpusFile>& corpus, const std::vector<fs::path>& paths, const std::string& cls,
          char prefix, const std::string& ext, size_t budget, bool (*accept)(const fs::path&,
                                                                             const std::vector<uint8_t>&)) {
    size_t used = 0;
    int n = 0;
    // A file at most a quarter of the class, so each class holds many files.
    const size_t maxFile = std::max<size_t>(budget / 4, 1);
    for (const fs::path& p : paths) {
        if (used >= budget) break;
        std::error_code ec;
        const auto size = fs::file_size(p, ec);
        if (ec || size == 0 || size > maxFile || used + size > budget + budget / 16) continue;
        std::vector<uint8_t> d = ReadAll(p);
        if (d.size() != size || !accept(p, d)) continue;
        char name[32];
        std::snprintf(name, sizeof name, "%c%04d%s", prefix, ++n, ext.c_str());
        used += d.size();
        corpus.push_back({cls, name, p.string(), std::move(d)});
    }
    if (n == 0) throw std::runtime_error("corpus: no files found for class " + cls);
}

}  // namespace

std::vector<CorpusFile> BuildCorpus(size_t totalBytes) {
    std::vector<CorpusFile> corpus;
    Take(corpus, FilesUnder("/usr/lib/i386-linux-gnu/wine/i386-windows", false), "dll", 'd', ".dll",
         totalBytes / 2, [](const fs::path& p, const std::vector<uint8_t>& d) {
             return p.extension() == ".dll" && d.size() > 2 && d[0] == 'M' && d[1] == 'Z';
         });
    const std::vector<fs::path> docs = FilesUnder("/usr/share/doc", true);
    Take(corpus, docs, "text", 't', ".txt", totalBytes / 8 * 3,
         [](const fs::path& p, const std::vector<uint8_t>& d) { return p.extension() != ".gz" && LooksLikeText(d); });
    Take(corpus, docs, "gz", 'g', ".gz", totalBytes / 8, [](const fs::path& p, const std::vector<uint8_t>& d) {
        return p.extension() == ".gz" && d.size() > 2 && d[0] == 0x1F && d[1] == 0x8B;
    });
    return corpus;
}

void WriteCorpus(const std::vector<CorpusFile>& corpus, const std::string& dir) {
    fs::create_directories(dir);
    for (const CorpusFile& f : corpus) {
        std::ofstream o(fs::path(dir) / f.name, std::ios::binary | std::ios::trunc);
        o.write(reinterpret_cast<const char*>(f.data.data()), static_cast<std::streamsize>(f.data.size()));
        if (!o) throw std::runtime_error("corpus: cannot write " + (fs::path(dir) / f.name).string());
    }
}

}  // namespace qs::bench
