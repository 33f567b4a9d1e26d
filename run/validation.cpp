// Stages 3 to 13: each tests one thing over all ten draws and passes only
// when every draw passes. Texts are compared as bytes, never as numbers.
#include "byte_strings.h"
#include "run.h"

namespace numerlo {

namespace {
// Counting rather than stopping at the first bad draw keeps every draw
// examined, and a count other than ten is a failure whatever the cause.
template <typename DrawTest>
bool allDrawsPass(DrawTest test) {
    int passing = 0;
    for (int d = 0; d < kDraws; ++d) {
        passing += test(d) ? 1 : 0;
    }
    return passing == kDraws;
}
}  // namespace

bool TableRun::serialDigitIsDigit(int k) {
    return allDrawsPass([&](int d) { return isDigitText(tables_.SerialDigits[k][d]); });
}

bool TableRun::numbersDiffer(int /*unused*/) {
    return allDrawsPass([&](int d) {
        for (int a = 0; a < kFields; ++a) {
            for (int b = a + 1; b < kFields; ++b) {
                if (sameBytes(tables_.NumberTexts[a][d], tables_.NumberTexts[b][d])) {
                    return false;
                }
            }
        }
        return true;
    });
}

bool TableRun::numberInRange(int j) {
    return allDrawsPass([&](int d) { return isNumberText(tables_.NumberTexts[j][d]); });
}

}  // namespace numerlo
