// Whole-file reads by name, as raw bytes, on POSIX, and what a name's
// folder allows. A name is the bytes the system knows it by; any name may
// be given (a regular file, a device, a FIFO, a socket, a folder, a link or
// a loop of links), and a load never waits for another program.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace numerlo {

// The first `most` bytes of the file (all of it if it is shorter), or
// nothing if it cannot be opened or read (a name holding a NUL names no
// file). Reads no more than that, so a huge file or an endless device costs
// nothing. Never waits: a FIFO, socket or terminal that has nothing to give
// now, or whose writer has not finished, cannot be read.
std::optional<std::string> loadTextFile(const std::string& path, std::size_t most);

// The longest name, in bytes, a file in `folder` may have; nothing where
// the folder cannot tell (it is gone, say).
std::optional<long> longestNameIn(const std::string& folder);

// Whether the name leads to a folder.
[[nodiscard]] bool isFolder(const std::string& path);

}  // namespace numerlo
