// Whole-file reads into an input pane and writes of the output pane, as raw
// CP932 bytes.
#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace numerlo {

// The most a pane takes from a file, after line breaks are made CR LF. A
// ten-draw file is about 220 bytes, so 8 KiB holds some 370 result lines.
// The bound is set by the worst text there is to wrap: one line with no
// break opportunity, which the narrow serial pane wraps in time that grows
// with the square of its length (8 KiB: about 0.13 s; 16 KiB: 0.3 to 0.5 s;
// 64 KiB: about 6 s).
inline constexpr std::size_t kPaneLimitBytes = std::size_t{8} * 1024;

// CR LF stays; a lone CR and a lone LF each become CR LF (so LF CR is two
// breaks); the text ends before the first NUL byte.
std::string normaliseLineBreaks(std::string_view raw);

enum class LoadStatus { Loaded, CannotOpen, TooLarge };
struct LoadResult {
    LoadStatus status = LoadStatus::CannotOpen;
    std::string bytes;  // the pane's new text when Loaded
};

// Reads at most what the limit can use, so a huge file costs no memory.
LoadResult loadTextFile(const QString& path);

enum class SaveStatus { Saved, CannotCreate, WriteError };

// Replaces the file atomically: the bytes go to a temporary file beside it,
// which takes the file's place only once every byte is written and flushed.
// On any failure the earlier file stays as it was and no temporary is left.
SaveStatus saveTextFile(const QString& path, std::string_view bytes);

}  // namespace numerlo
