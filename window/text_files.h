// Whole-file reads into an input pane and writes of the output pane, as raw
// CP932 bytes.
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
// the limit can use, so a huge file costs no memory.
LoadResult loadTextFile(const QString& path, std::size_t limit);

enum class SaveStatus { Saved, CannotCreate, WriteError };

// Replaces the file atomically: the bytes go to a temporary file beside it,
// which takes the file's place only once every byte is written and flushed.
// On any failure the earlier file stays as it was and no temporary is left.
SaveStatus saveTextFile(const QString& path, std::string_view bytes);

}  // namespace numerlo
