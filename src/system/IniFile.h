// Private-profile (INI) access. A bare file name such as "DELPHI.INI" is looked up by the system in the
// Windows folder. Reads never fail (a missing file, section or key gives the default); a failed write raises.
#pragma once
#include <string>
#include <vector>

namespace qs {

class TIniFile {
public:
    explicit TIniFile(std::string fileName) : fileName_(std::move(fileName)) {}

    const std::string& FileName() const { return fileName_; }

    // The key's text, read into 1024 characters; fallback when the key is missing.
    std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) const;
    // The key's text as an integer ("0x"/"0X" prefix: hexadecimal); fallback when missing or not a number.
    int ReadInteger(const std::string& section, const std::string& key, int fallback) const;
    // The names of the section's keys, in file order (empty when the file or section is missing).
    std::vector<std::string> ReadKeyNames(const std::string& section) const;

    // Raise EIniFileException "Unable to write to <file name>" when the write fails.
    void WriteString(const std::string& section, const std::string& key, const std::string& value) const;
    void WriteInteger(const std::string& section, const std::string& key, long long value) const;

private:
    std::string fileName_;
};

}  // namespace qs
