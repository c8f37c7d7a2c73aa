#include "base/Exceptions.h"

#include <cstdint>
#include <cstdio>

namespace qs {

std::string EInOutError::TextOf(int code) {
    switch (code) {
    case 2: return "File not found";            // ERROR_FILE_NOT_FOUND
    case 5: return "File access denied";        // ERROR_ACCESS_DENIED
    case 38:                                     // ERROR_HANDLE_EOF
    case kReadBeyondEnd: return "Read beyond end of file";
    case 39:                                     // ERROR_HANDLE_DISK_FULL
    case 112:                                    // ERROR_DISK_FULL
    case kDiskFull: return "Disk full";
    default: {
        char buf[32];
        std::snprintf(buf, sizeof buf, "I/O error %d", code);
        return buf;
    }
    }
}

EConvertError EConvertError::NotInteger(const std::string& text) {
    return EConvertError("'" + text + "' is not a valid integer value");
}

EIniFileException EIniFileException::UnableToWrite(const std::string& fileName) {
    return EIniFileException("Unable to write to " + fileName);
}

}  // namespace qs
