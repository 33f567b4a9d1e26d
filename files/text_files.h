// Whole-file reads and writes by name, as raw bytes, on POSIX. A name is
// the bytes the system knows it by. Any name may be given: a regular file, a
// device, a FIFO, a socket, a folder, a link or a loop of links. Neither
// call ever waits for another program, and a save never loses the earlier
// file for a full disk.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

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

enum class SaveStatus { Saved, CannotCreate, WriteError };

// Writes `bytes` as the whole content of the file the name stands for, in
// the way save_method.h chooses. A new file, and the copy that replaces an
// old one, has no name until every byte is written and flushed: killed at
// any moment, a save leaves the earlier file and nothing else (but for the
// instant between naming the copy and moving it over the old file). When
// another program makes the name stand for another file meanwhile (an
// editor saving by renaming), the save starts over: Saved means the name
// leads to the page, and a name that keeps changing gives CannotCreate.
SaveStatus saveTextFile(const std::string& path, std::string_view bytes);

// The program is ending: from now on a save waits for a stream that takes
// its bytes slowly (a pipe read slowly, a slow device) no longer than its
// usual patience from this moment, and then fails as a write error. Any
// thread may call it.
void hurrySaves();

}  // namespace numerlo
