#include <filesystem>
#include <fstream>

#include "PakWriter.h"

namespace qs::pak {

namespace fs = std::filesystem;

void WriteThroughTemporary(const std::string& path, const std::function<void(std::ostream&)>& fill) {
    const std::string temp = path + ".part";
    std::error_code ec;
    try {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        if (!f) throw Exception("Cannot create " + temp);
        fill(f);
        f.close();
        if (!f) throw Exception("Cannot write " + temp);
    } catch (...) {
        fs::remove(temp, ec);
        throw;
    }
    fs::rename(temp, path, ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove(temp, ec);
        throw Exception("Cannot rename " + temp + " to " + path + ": " + why);
    }
}

}  // namespace qs::pak
