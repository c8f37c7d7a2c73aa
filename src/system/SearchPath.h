// Finding the Delphi 1.0 library folder in its library search path. Portable: no Win32 types.
#pragma once
#include <optional>
#include <string>

namespace qs {

// The element of a ";"-separated search path that ends in "\LIB" (letter case ignored), in the letter case
// of the path. The first "\LIB;" wins; without one, a "\LIB" whose first occurrence ends the path makes the last
// element the answer. Nothing otherwise.
//   "C:\DELPHI\LIB;C:\TOOLS" -> "C:\DELPHI\LIB"      "C:\TOOLS;c:\delphi\lib" -> "c:\delphi\lib"
//   "C:\LIBRARY;C:\DELPHI\LIB" -> nothing            "C:\DELPHI\LIB\" -> nothing
std::optional<std::string> FindDelphi10LibElement(const std::string& searchPath);

}  // namespace qs
