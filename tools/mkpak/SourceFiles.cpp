// The files to pack as the tool finds them: whole files, their times, and folders listed.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "PakWriter.h"

namespace qs::pak {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw Exception("Cannot read " + path);
    std::vector<uint8_t> data;
    f.seekg(0, std::ios::end);
    const std::streamoff size = f.tellg();
    if (size < 0) throw Exception("Cannot read " + path);
    f.seekg(0, std::ios::beg);
    data.resize(static_cast<size_t>(size));
    if (size > 0) f.read(reinterpret_cast<char*>(data.data()), size);
    if (!f) throw Exception("Cannot read " + path);
    return data;
}

FileToPack LoadEntry(const std::string& path, const std::string& name) {
    FileToPack e;
    e.name = name;
    e.extraName = name;
    e.data = ReadWholeFile(path);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) throw Exception("Cannot read " + path);
    e.dosTime = DosTimeFromTime(st.st_mtime);
    return e;
}

std::vector<PakSource> ListSources(const std::vector<std::string>& paths) {
    std::vector<PakSource> sources;
    const auto add = [&](const fs::path& p) { sources.push_back({p.string(), p.filename().string()}); };
    for (const std::string& arg : paths) {
        const fs::path p(arg);
        std::error_code ec;
        if (fs::is_directory(p, ec)) {
            std::vector<fs::path> files;
            for (fs::directory_iterator it(p, ec), end; !ec && it != end; it.increment(ec)) {
                if (it->is_directory(ec))
                    throw Exception("Folder " + arg + " holds the folder " + it->path().filename().string() +
                                    "; packages have no folders");
                files.push_back(it->path());
            }
            if (ec) throw Exception("Cannot read the folder " + arg + ": " + ec.message());
            std::sort(files.begin(), files.end(),
                      [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
            for (const fs::path& f : files) add(f);
        } else {
            add(p);
        }
    }
    return sources;
}

}  // namespace qs::pak
