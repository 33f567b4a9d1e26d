#include "text_files.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace numerlo {

std::string normaliseLineBreaks(std::string_view raw) {
    raw = raw.substr(0, raw.find('\0'));
    std::string text;
    text.reserve(raw.size() + raw.size() / 8);
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (c == '\r') {
            text += "\r\n";
            if (i + 1 < raw.size() && raw[i + 1] == '\n') {
                ++i;
            }
        } else if (c == '\n') {
            text += "\r\n";
        } else {
            text += c;
        }
    }
    return text;
}

LoadResult loadTextFile(const QString& path, std::size_t limit) {
    QFile file(path);
    if (path.isEmpty() || QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        return {LoadStatus::CannotOpen, {}};
    }
    // Normalising never shrinks the text before the first NUL, so one byte
    // past the limit is enough to tell that the text will not fit.
    std::string raw(limit + 1, '\0');
    qint64 got = 0;
    while (got < static_cast<qint64>(raw.size())) {
        const qint64 n = file.read(raw.data() + got, static_cast<qint64>(raw.size()) - got);
        if (n < 0) {
            return {LoadStatus::CannotOpen, {}};
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    raw.resize(static_cast<std::size_t>(got));
    std::string text = normaliseLineBreaks(raw);
    if (text.size() > limit) {
        return {LoadStatus::TooLarge, {}};
    }
    return {LoadStatus::Loaded, std::move(text)};
}

SaveStatus saveTextFile(const QString& path, std::string_view bytes) {
    QSaveFile file(path);
    // No writing straight into the file where no temporary can be made: a
    // failure half way would destroy the earlier page.
    file.setDirectWriteFallback(false);
    // Unbuffered: a full disk cuts a write short without setting an error,
    // and a buffered write would only meet that inside commit(), which then
    // still reports success and puts the short file in place. Written
    // directly, the short count shows here; the size check catches the rest.
    if (path.isEmpty() || QFileInfo(path).isDir() ||
        !file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return SaveStatus::CannotCreate;
    }
    const auto size = static_cast<qint64>(bytes.size());
    if ((size > 0 && file.write(bytes.data(), size) != size) || file.size() != size) {
        file.cancelWriting();
        return SaveStatus::WriteError;
    }
    if (!file.commit()) {
        return SaveStatus::WriteError;
    }
    return SaveStatus::Saved;
}

}  // namespace numerlo
