// The application's title: the program file's name up to its first period,
// every letter after the first in lower case. It captions error boxes.
#pragma once

#include <QString>

namespace numerlo {

inline QString applicationTitle(const QString& programFileName) {
    const QString stem = programFileName.section(QLatin1Char('.'), 0, 0);
    return stem.left(1) + stem.mid(1).toLower();
}

}  // namespace numerlo
