// The package of a list of files, packed on many threads and written straight to the file.
#include <ostream>

#include "InOrder.h"
#include "PakBuild.h"

namespace qs::pak {

void CreatePackageFile(const std::string& path, const std::vector<PakSource>& files, const PakOptions& options,
                       unsigned jobs) {
    std::vector<std::pair<std::string, std::string>> names;
    for (const PakSource& f : files) names.emplace_back(f.name, f.name);
    CheckNames(names, options);

    // The directory goes before the streams but is known only after them: its room is kept, and it is written
    // there at the end.
    std::vector<PakDirRecord> dir(files.size());
    for (size_t i = 0; i < files.size(); ++i) dir[i].name = dir[i].extraName = files[i].name;
    const std::vector<uint8_t> room = PackageHead(options, dir);
    WriteThroughTemporary(path, [&](std::ostream& out) {
        out.write(reinterpret_cast<const char*>(room.data()), static_cast<std::streamsize>(room.size()));
        size_t offset = room.size();
        RunInOrder<PackedFile>(
            files.size(), jobs,
            [&](size_t i) {
                const FileToPack e = LoadEntry(files[i].path, files[i].name);
                return Pack(e.name, e.extraName, e.dosTime, e.data, options);
            },
            [&](size_t i, PackedFile p) {
                dir[i] = std::move(p.dir);
                Place(dir[i], offset);
                out.write(reinterpret_cast<const char*>(p.stream.data()),
                          static_cast<std::streamsize>(p.stream.size()));
                if (!out) throw Exception("Cannot write " + path + ".part");  // a full disk stops the run at once
            },
            [](const PackedFile& p) { return p.stream.size(); });
        const std::vector<uint8_t> head = PackageHead(options, dir);
        out.seekp(0);
        out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
    });
}

}  // namespace qs::pak
