// Reading an installed-file list: one 13-byte slot per file, a length byte and up to 12 characters of a name
// without folder. Portable: no Win32 types.
#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "package/Extract.h"

namespace qs {

// The files a list names in folder ("\" added when missing), in list order. Whole slots only (the rest of a
// length that is not a multiple of 13 is ignored); a length byte above 12 counts as 12; a name that is not a plain
// file name is skipped, so a damaged or doctored list never names anything outside the folder. With helpIndex, a
// name whose extension is ".hlp" (any letter case) is followed by the same name with the extension ".gid", the
// index the help viewer makes beside a help file. decodeName turns a slot's bytes into the name's text (the record
// keeps the system code page's bytes); a name it cannot decode is skipped. Without it the bytes are the text.
using SlotNameDecoder = std::function<std::optional<std::string>(const std::string&)>;
std::vector<std::string> ListedFilePaths(const std::vector<uint8_t>& list, const std::string& folder, bool helpIndex,
                                         const SlotNameDecoder& decodeName = nullptr);

// list followed by the slots of earlier whose names list lacks (ASCII letter case ignored) and for which
// stillThere(name) holds: what an update keeps in the record of the version before, so that the uninstall also
// removes the files only that version had. Both lists hold names as decodeName reads them; a slot of earlier that
// it cannot decode, or that names no plain file, is dropped.
std::vector<uint8_t> WithEarlierFiles(std::vector<uint8_t> list, const std::vector<uint8_t>& earlier,
                                      const SlotNameDecoder& decodeName,
                                      const std::function<bool(const std::string&)>& stillThere);

}  // namespace qs
