// Whole-file reads into an input pane and writes of the output pane, as raw
// CP932 bytes. Any name may be given: a regular file, a device, a FIFO, a
// socket, a folder, a link or a loop of links. Neither call ever waits for
// another program, and a save never loses the earlier file for a full disk.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace numerlo {

// CR LF stays; a lone CR and a lone LF each become CR LF (so LF CR is two
// breaks); the text ends before the first NUL byte.
std::string normaliseLineBreaks(std::string_view raw);

enum class LoadStatus { Loaded, CannotOpen, TooLarge };
struct LoadResult {
    LoadStatus status = LoadStatus::CannotOpen;
    std::string bytes;  // the pane's new text when Loaded
};

// TooLarge when the text is longer than `limit` bytes. Reads at most what
// the limit can use, so a huge file or an endless device costs nothing.
// Never waits: a FIFO, socket or terminal that has nothing to give now, or
// whose writer has not finished, cannot be opened.
LoadResult loadTextFile(const QString& path, std::size_t limit);

enum class SaveStatus { Saved, CannotCreate, WriteError };

// Writes `bytes` as the whole content of the file the name stands for.
//  - A device or FIFO is written into, never replaced; a FIFO with no reader
//    cannot be created.
//  - A regular file that the program alone names and owns is replaced
//    atomically, keeping its mode and group: a temporary file beside it
//    takes its place once every byte is written and flushed.
//  - Any other regular file (more names, another owner, a folder that takes
//    no new file) is written in place: the room for the new bytes is
//    reserved before the old ones are touched, so a full disk leaves it as
//    it was. Both names of a hard link then show the new text, and owner,
//    group and mode stay.
//  - A new file that cannot be written whole is removed again.
// No temporary file is ever left behind.
SaveStatus saveTextFile(const QString& path, std::string_view bytes);

}  // namespace numerlo
