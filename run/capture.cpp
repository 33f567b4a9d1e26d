// Stages 1 and 2: copy ten lines of each input pane, then cut them into the
// serial digits and number fields that the checks and the table work on.
#include "byte_strings.h"
#include "run.h"

namespace numerlo {

bool TableRun::copyInputLines(int /*unused*/) {
    for (int d = 0; d < kDraws; ++d) {
        tables_.SerialTexts[d] = window_.readPaneLine(InputPane::Memo1, d);
        tables_.ResultLines[d] = window_.readPaneLine(InputPane::Memo2, d);
    }
    return true;
}

bool TableRun::cutFields(int /*unused*/) {
    for (int d = 0; d < kDraws; ++d) {
        // Field j sits at bytes 3j+1..3j+2; the separators between are never read.
        for (int j = 0; j < kFields; ++j) {
            assignSubstring(tables_.NumberTexts[j][d], tables_.ResultLines[d],
                            3 * static_cast<std::size_t>(j) + 1, 2);
        }
        for (int k = 0; k < kSerialDigits; ++k) {
            assignSubstring(tables_.SerialDigits[k][d], tables_.SerialTexts[d],
                            static_cast<std::size_t>(k) + 1, 1);
        }
    }
    return true;
}

}  // namespace numerlo
