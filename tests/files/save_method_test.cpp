// How a save writes, chosen from what the opened name turned out to be.
#include <gtest/gtest.h>

#include <cerrno>

#include "save_method.h"

namespace numerlo::testing {
namespace {

constexpr uid_t kSaver = 1000;

struct MethodCase {
    const char* name;
    int openError;
    mode_t kind;
    nlink_t links;
    uid_t owner;
    bool extendedAttributes;
    bool pathKnown;
    SaveMethod expected;
};
void PrintTo(const MethodCase& c, std::ostream* out) {
    *out << c.name;
}

class FilesSaveMethod : public ::testing::TestWithParam<MethodCase> {};

TEST_P(FilesSaveMethod, FollowsFromWhatTheNameIs) {
    const MethodCase& c = GetParam();
    OpenedName name;
    name.openError = c.openError;
    name.info.st_mode = c.kind | 0644;
    name.info.st_nlink = c.links;
    name.info.st_uid = c.owner;
    name.hasExtendedAttributes = c.extendedAttributes;
    name.pathKnown = c.pathKnown;
    name.saver = kSaver;
    EXPECT_EQ(chooseSaveMethod(name), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    , FilesSaveMethod,
    ::testing::Values(
        MethodCase{"NothingThere", ENOENT, 0, 0, 0, false, false, SaveMethod::CreateNew},
        MethodCase{"NotAllowed", EACCES, 0, 0, 0, false, false, SaveMethod::CannotOpen},
        MethodCase{"AFolder", EISDIR, 0, 0, 0, false, false, SaveMethod::CannotOpen},
        MethodCase{"FifoWithoutReader", ENXIO, 0, 0, 0, false, false, SaveMethod::CannotOpen},
        MethodCase{"LoopOfLinks", ELOOP, 0, 0, 0, false, false, SaveMethod::CannotOpen},
        MethodCase{"Device", 0, S_IFCHR, 1, 0, false, true, SaveMethod::WriteIntoStream},
        MethodCase{"Fifo", 0, S_IFIFO, 1, kSaver, false, true, SaveMethod::WriteIntoStream},
        MethodCase{"OwnFileOneName", 0, S_IFREG, 1, kSaver, false, true,
                   SaveMethod::ReplaceAtomically},
        MethodCase{"TwoNames", 0, S_IFREG, 2, kSaver, false, true, SaveMethod::WriteInPlace},
        MethodCase{"AnotherOwner", 0, S_IFREG, 1, 0, false, true, SaveMethod::WriteInPlace},
        MethodCase{"AccessList", 0, S_IFREG, 1, kSaver, true, true, SaveMethod::WriteInPlace},
        MethodCase{"PathUnknown", 0, S_IFREG, 1, kSaver, false, false, SaveMethod::WriteInPlace}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace numerlo::testing
