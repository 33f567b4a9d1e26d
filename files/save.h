// Whole-file writes by name, as raw bytes, on POSIX. A name is the bytes
// the system knows it by; any name may be given (a regular file, a device,
// a FIFO, a socket, a folder, a link or a loop of links). A save never
// waits for another program, and never loses the earlier file for a full
// disk. How a save writes is chosen in save_method.h.
#pragma once

#include <string>
#include <string_view>

namespace numerlo {

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
