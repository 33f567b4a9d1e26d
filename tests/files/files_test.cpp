// Loads and saves at any name the system can hold: devices, FIFOs, sockets,
// hard links, other users' files, locked folders, loops of links, full disks.
// Each case runs in a child process in a folder of its own. As root that
// folder is a small tmpfs in a private mount namespace, where device nodes
// can be made and the disk filled, and a case may drop to nobody; the
// machine's own /dev is never touched. Cases that need root are skipped for
// everyone else.
#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "flush_hook.h"
#include "load.h"
#include "save.h"
#include "save_method.h"

namespace numerlo::testing {
namespace {

constexpr uid_t kNobody = 65534;
const std::string kEarlier = "<HTML>the earlier page</HTML>\r\n";
const std::string kPage = "<HTML>the new page</HTML>\r\n";
const std::string kShortName = "saved";
const std::string kHugePage(std::size_t{96} * 1024, 'x');  // more than a pipe holds
const std::string kLongestName(255, 'p');
const std::string kLargePage(std::size_t{64} * 1024, 'x');  // more than a full disk has room for

std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A step of a case's set-up that has to work: the child stops, and the
// case fails, rather than go on to test a folder that is not as meant.
void must(int result) {
    if (result != 0) {
        std::abort();
    }
}

void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// The names in a folder, sorted, one blank apart.
std::string entries(const std::string& dir) {
    std::vector<std::string> names;
    if (DIR* folder = ::opendir(dir.c_str())) {
        while (const dirent* entry = ::readdir(folder)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
                names.emplace_back(entry->d_name);
            }
        }
        ::closedir(folder);
    }
    std::sort(names.begin(), names.end());
    std::string joined;
    for (const std::string& name : names) {
        joined += (joined.empty() ? "" : " ") + name;
    }
    return joined;
}

// Fills the file system under `dir` up to its last byte.
void fillDisk(const std::string& dir) {
    const int fd = ::open((dir + "/filler").c_str(), O_WRONLY | O_CREAT, 0600);
    const std::string block(4096, 'f');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    while (::write(fd, block.data(), 1) > 0) {
    }
    ::close(fd);
}

void makeNode(const std::string& path, unsigned minor) {
    ::mknod(path.c_str(), S_IFCHR | 0666, makedev(1, minor));
    ::chmod(path.c_str(), 0666);
}

void makeFifo(const std::string& path) {
    ::mkfifo(path.c_str(), 0666);
    ::chmod(path.c_str(), 0666);
}

// Gives `dir` a default access list that lets nobody read and write what is
// made in it.
void grantNobodyByDefault(const std::string& dir) {
    struct Entry {
        std::uint16_t tag;
        std::uint16_t permissions;
        std::uint32_t id;
    };
    struct {
        std::uint32_t version = 2;
        Entry entries[5] = {
            {0x01, 6, ~0U}, {0x02, 6, kNobody}, {0x04, 4, ~0U}, {0x10, 6, ~0U}, {0x20, 0, ~0U}};
    } acl;
    ::setxattr(dir.c_str(), "system.posix_acl_default", &acl, sizeof acl, 0);
}

// Holds a lease on `path` in a process of its own, let go when asked.
void holdLease(const std::string& path) {
    if (::fork() == 0) {
        ::alarm(5);
        std::signal(SIGIO, [](int) {});
        const int fd = ::open(path.c_str(), O_RDONLY);
        ::fcntl(fd, F_SETLEASE, F_RDLCK);
        ::pause();  // the lease breaker's open sends SIGIO
        ::fcntl(fd, F_SETLEASE, F_UNLCK);
        ::_exit(0);
    }
    ::usleep(100 * 1000);
}

// Holds `path` for this process alone for `ms`, as another save of this
// program does, then writes `bytes` into it and lets go.
pid_t otherSaver = -1;
void saveInPlaceMeanwhile(const std::string& path, int ms, const std::string& bytes) {
    int ready[2];
    if (::pipe(ready) != 0) {
        return;
    }
    otherSaver = ::fork();
    if (otherSaver == 0) {
        const int fd = ::open(path.c_str(), O_WRONLY);
        ::flock(fd, LOCK_EX);
        [[maybe_unused]] const auto told = ::write(ready[1], "!", 1);
        ::usleep(static_cast<useconds_t>(ms) * 1000);
        [[maybe_unused]] const auto written = ::pwrite(fd, bytes.data(), bytes.size(), 0);
        ::_exit(0);
    }
    char held = 0;
    [[maybe_unused]] const auto heard = ::read(ready[0], &held, 1);
}

// A reader of the FIFO `path` that takes 16 KiB at a time, with pauses a
// little shorter than the save's patience, and counts what it got into
// `got` beside it.
pid_t slowReader = -1;
void readSlowly(const std::string& dir) {
    slowReader = ::fork();
    if (slowReader == 0) {
        const int fd = ::open((dir + "/fifo").c_str(), O_RDONLY);
        std::string buffer(std::size_t{16} * 1024, '\0');
        std::size_t got = 0;
        for (ssize_t n = 1; n > 0; got += static_cast<std::size_t>(std::max<ssize_t>(n, 0))) {
            ::usleep(1200 * 1000);
            n = ::read(fd, buffer.data(), buffer.size());
        }
        write(dir + "/got", std::to_string(got));
        ::_exit(0);
    }
    ::usleep(100 * 1000);
}

// A reader of the FIFO `path` for the length of the case.
int fifoReader = -1;

std::function<void()> once(std::function<void()> action) {
    return [action = std::move(action), done = false]() mutable {
        if (!std::exchange(done, true)) {
            action();
        }
    };
}

// Another program saves `name` the way editors do: it renames its own new
// file over the name.
void rivalSaves(const std::string& dir, const std::string& name) {
    write(dir + "/.rival", "rival");
    ::rename((dir + "/.rival").c_str(), (dir + "/" + name).c_str());
}

// What a case does, by a name inside its folder.
struct Save {
    std::string name;
    const std::string& bytes;
    SaveStatus expected;
};
struct Load {
    std::string name;
    std::optional<std::string> expected;  // the bytes, at most 100 of them
};
// A save whose process is killed while it flushes the page to the disk.
struct SaveKilled {
    std::string name;
};

// What must hold afterwards: "" if it does, else what is wrong.
using Expectation = std::function<std::string(const std::string& dir)>;

Expectation holds(const std::string& name, const std::string& bytes) {
    return [=](const std::string& dir) {
        const std::string got = read(dir + "/" + name);
        return got == bytes ? std::string() : name + " holds \"" + got.substr(0, 40) + "\"";
    };
}

Expectation entriesAre(const std::string& names) {
    return [=](const std::string& dir) {
        return entries(dir) == names ? std::string() : "the folder holds " + entries(dir);
    };
}

Expectation isNode(const std::string& name, mode_t kind) {
    return [=](const std::string& dir) {
        struct stat info {};
        const bool is =
            ::lstat((dir + "/" + name).c_str(), &info) == 0 && (info.st_mode & S_IFMT) == kind;
        return is ? std::string() : name + " was replaced";
    };
}

Expectation ownedAs(const std::string& name, uid_t owner, gid_t group, mode_t mode) {
    return [=](const std::string& dir) {
        struct stat info {};
        ::stat((dir + "/" + name).c_str(), &info);
        const bool same =
            info.st_uid == owner && info.st_gid == group && (info.st_mode & 07777) == mode;
        return same ? std::string() : name + " changed owner, group or mode";
    };
}

Expectation hasNoAccessList(const std::string& name) {
    return [=](const std::string& dir) {
        const bool bare =
            ::getxattr((dir + "/" + name).c_str(), "system.posix_acl_access", nullptr, 0) < 0;
        return bare ? std::string() : name + " gained an access list";
    };
}

Expectation readerGot(const std::string& bytes) {
    return [=](const std::string&) {
        std::string got(bytes.size() + 1, '\0');
        got.resize(static_cast<std::size_t>(
            std::max<ssize_t>(0, ::read(fifoReader, got.data(), got.size()))));
        return got == bytes ? std::string() : "the reader got \"" + got + "\"";
    };
}

// What `name` holds once the other save is over.
Expectation holdsAfterTheOther(const std::string& name, const std::string& bytes) {
    return [=](const std::string& dir) {
        ::waitpid(otherSaver, nullptr, 0);
        return holds(name, bytes)(dir);
    };
}

// The file a case started with.
ino_t firstInode = 0;
void remember(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    firstInode = info.st_ino;
}
Expectation isNewFile(const std::string& name) {
    return [=](const std::string& dir) {
        struct stat info {};
        ::stat((dir + "/" + name).c_str(), &info);
        return info.st_ino != firstInode ? std::string() : name + " was written in place";
    };
}

Expectation slowReaderGot(std::size_t bytes) {
    return [bytes](const std::string& dir) {
        ::waitpid(slowReader, nullptr, 0);
        const std::string got = read(dir + "/got");
        return got == std::to_string(bytes) ? std::string() : "the reader got " + got;
    };
}

enum class Who { Anyone, Root, Nobody };

struct FileCase {
    const char* name;
    Who who;
    std::function<void(const std::string& dir)> setUp;  // as root, when root
    std::variant<Save, Load, SaveKilled> action;
    std::vector<Expectation> after;
};
void PrintTo(const FileCase& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<FileCase>& fileCases() {
    static const std::vector<FileCase> cases = {
        // Devices and FIFOs are written into, never replaced.
        {"NullDeviceWrittenInto",
         Who::Root,
         [](auto& d) { makeNode(d + "/null", 3); },
         Save{"null", kPage, SaveStatus::Saved},
         {isNode("null", S_IFCHR)}},
        {"FullDeviceGivesWriteError",
         Who::Root,
         [](auto& d) { makeNode(d + "/full", 7); },
         Save{"full", kPage, SaveStatus::WriteError},
         {isNode("full", S_IFCHR)}},
        {"FifoReaderGetsThePage",
         Who::Anyone,
         [](auto& d) {
             makeFifo(d + "/fifo");
             fifoReader = ::open((d + "/fifo").c_str(), O_RDONLY | O_NONBLOCK);
         },
         Save{"fifo", kPage, SaveStatus::Saved},
         {readerGot(kPage), isNode("fifo", S_IFIFO)}},
        {"FifoWithoutReaderCannotBeCreated",
         Who::Anyone,
         [](auto& d) { makeFifo(d + "/fifo"); },
         Save{"fifo", kPage, SaveStatus::CannotCreate},
         {isNode("fifo", S_IFIFO)}},
        // Regular files.
        {"HardLinkedNamesBothShowThePage",
         Who::Anyone,
         [](auto& d) {
             write(d + "/a.html", kEarlier);
             must(::link((d + "/a.html").c_str(), (d + "/b.html").c_str()));
         },
         Save{"a.html", kPage, SaveStatus::Saved},
         {holds("b.html", kPage), entriesAre("a.html b.html")}},
        {"AnotherUsersFileKeepsOwnerGroupAndMode",
         Who::Root,
         [](auto& d) {
             write(d + "/theirs.html", kEarlier);
             must(::chown((d + "/theirs.html").c_str(), kNobody, kNobody));
             ::chmod((d + "/theirs.html").c_str(), 0640);
         },
         Save{"theirs.html", kPage, SaveStatus::Saved},
         {holds("theirs.html", kPage), ownedAs("theirs.html", kNobody, kNobody, 0640)}},
        {"SymlinkLoopCannotBeCreated",
         Who::Anyone,
         [](auto& d) {
             must(::symlink("loop2", (d + "/loop1").c_str()));
             must(::symlink("loop1", (d + "/loop2").c_str()));
         },
         Save{"loop1", kPage, SaveStatus::CannotCreate},
         {isNode("loop1", S_IFLNK)}},
        {"FolderDefaultAccessListStaysOffAReplacedPage",
         Who::Root,
         [](auto& d) {
             write(d + "/page.html", kEarlier);
             ::chmod((d + "/page.html").c_str(), 0640);
             grantNobodyByDefault(d);
         },
         Save{"page.html", kPage, SaveStatus::Saved},
         {holds("page.html", kPage), hasNoAccessList("page.html"),
          ownedAs("page.html", 0, 0, 0640)}},
        {"ProcFileWrittenWithoutAFalseError",
         Who::Anyone,
         [](auto&) {},
         Save{"/proc/self/comm", kShortName, SaveStatus::Saved},
         {[](const std::string&) {
             return read("/proc/self/comm") == kShortName + "\n" ? std::string() : "not written";
         }}},
        {"LeasedFileSavedOnceItsHolderLetsGo",
         Who::Anyone,
         [](auto& d) {
             write(d + "/leased.html", kEarlier);
             holdLease(d + "/leased.html");
         },
         Save{"leased.html", kPage, SaveStatus::Saved},
         {holds("leased.html", kPage)}},
        // A full disk or the size limit never costs the earlier page.
        {"FullDiskKeepsTheEarlierPageWhenReplacing",
         Who::Root,
         [](auto& d) {
             write(d + "/page.html", kEarlier);
             fillDisk(d);
         },
         Save{"page.html", kLargePage, SaveStatus::WriteError},
         {holds("page.html", kEarlier), entriesAre("filler page.html")}},
        {"FullDiskKeepsTheEarlierPageInPlace",
         Who::Root,
         [](auto& d) {
             write(d + "/page.html", kEarlier);
             must(::link((d + "/page.html").c_str(), (d + "/other.html").c_str()));
             fillDisk(d);
         },
         Save{"page.html", kLargePage, SaveStatus::WriteError},
         {holds("page.html", kEarlier)}},
        {"FullDiskLeavesNoPartOfANewFile",
         Who::Root,
         fillDisk,
         Save{"new.html", kLargePage, SaveStatus::WriteError},
         {entriesAre("filler")}},
        {"FullDiskTakesAPageThatFitsWhereTheEarlierWas",
         Who::Root,
         [](auto& d) {
             write(d + "/page.html", std::string(kPage.size(), 'e'));
             fillDisk(d);
         },
         Save{"page.html", kPage, SaveStatus::Saved},
         {holds("page.html", kPage), entriesAre("filler page.html")}},
        {"SizeLimitWhereNoRoomCanBeReservedKeepsTheEarlierPage",
         Who::Root,
         [](auto& d) {
             ::mkdir((d + "/ram").c_str(), 0755);
             ::mount("numerlo-test", (d + "/ram").c_str(), "ramfs", 0, nullptr);
             write(d + "/ram/page.html", kEarlier);
             must(::link((d + "/ram/page.html").c_str(), (d + "/ram/other.html").c_str()));
             rlimit limit{kEarlier.size() + 4, kEarlier.size() + 4};
             ::setrlimit(RLIMIT_FSIZE, &limit);
         },
         Save{"ram/page.html", kLargePage, SaveStatus::WriteError},
         {holds("ram/page.html", kEarlier)}},
        // As another user, where root would pass every permission check.
        {"AsNobodyNullDevice",
         Who::Nobody,
         [](auto& d) { makeNode(d + "/null", 3); },
         Save{"null", kPage, SaveStatus::Saved},
         {isNode("null", S_IFCHR)}},
        {"AsNobodyFullDevice",
         Who::Nobody,
         [](auto& d) { makeNode(d + "/full", 7); },
         Save{"full", kPage, SaveStatus::WriteError},
         {}},
        {"AsNobodyFileTheyMayWriteInALockedFolder",
         Who::Nobody,
         [](auto& d) {
             ::mkdir((d + "/locked").c_str(), 0755);
             write(d + "/locked/page.html", kEarlier);
             ::chmod((d + "/locked/page.html").c_str(), 0666);
         },
         Save{"locked/page.html", kPage, SaveStatus::Saved},
         {holds("locked/page.html", kPage)}},
        {"AsNobodyFileTheyMayWriteInASharedStickyFolder",
         Who::Nobody,
         [](auto& d) {
             ::mkdir((d + "/shared").c_str(), 01777);
             ::chmod((d + "/shared").c_str(), 01777);
             write(d + "/shared/page.html", kEarlier);
             ::chmod((d + "/shared/page.html").c_str(), 0666);
         },
         Save{"shared/page.html", kPage, SaveStatus::Saved},
         {holds("shared/page.html", kPage),
          [](const std::string& d) { return entriesAre("page.html")(d + "/shared"); }}},
        // Another program saving the same name meanwhile: a save reported
        // done is in the file the name stands for, and a save that cannot
        // be made so is reported as not done.
        {"RivalSaveWhileReplacingLeavesThePageAtTheName",
         Who::Anyone,
         [](auto& d) {
             write(d + "/page.html", kEarlier);
             duringFlush = once([d] { rivalSaves(d, "page.html"); });
         },
         Save{"page.html", kPage, SaveStatus::Saved},
         {holds("page.html", kPage), entriesAre("page.html")}},
        {"RivalSaveWhileWritingInPlaceLeavesThePageAtTheName",
         Who::Anyone,
         [](auto& d) {
             write(d + "/page.html", kEarlier);
             must(::link((d + "/page.html").c_str(), (d + "/other.html").c_str()));
             duringFlush = once([d] { rivalSaves(d, "page.html"); });
         },
         Save{"page.html", kPage, SaveStatus::Saved},
         {holds("page.html", kPage), entriesAre("other.html page.html")}},
        {"RivalMakingTheNameFirstLeavesThePageAtIt",
         Who::Anyone,
         [](auto& d) { duringFlush = once([d] { rivalSaves(d, "new.html"); }); },
         Save{"new.html", kPage, SaveStatus::Saved},
         {holds("new.html", kPage), entriesAre("new.html")}},
        {"RivalSavingDuringEveryAttemptMeansNotSaved",
         Who::Anyone,
         [](auto& d) {
             write(d + "/page.html", kEarlier);
             duringFlush = [d] { rivalSaves(d, "page.html"); };
         },
         Save{"page.html", kPage, SaveStatus::CannotCreate},
         {holds("page.html", "rival"), entriesAre("page.html")}},
        {"NewFileMadeWithoutProc",
         Who::Root,
         [](auto&) { ::mount("numerlo-test", "/proc", "tmpfs", 0, nullptr); },
         Save{"new.html", kPage, SaveStatus::Saved},
         {holds("new.html", kPage)}},
        {"LinkRetargetedMidSaveLeavesThePageAtTheName",
         Who::Anyone,
         [](auto& d) {
             write(d + "/a.html", kEarlier);
             write(d + "/b.html", kEarlier);
             must(::symlink("a.html", (d + "/link.html").c_str()));
             duringFlush = once([d] {
                 must(::symlink("b.html", (d + "/.link").c_str()));
                 ::rename((d + "/.link").c_str(), (d + "/link.html").c_str());
             });
         },
         Save{"link.html", kPage, SaveStatus::Saved},
         {holds("link.html", kPage)}},
        {"InPlaceSaveWaitsForAnotherUnderWay",
         Who::Anyone,
         [](auto& d) {
             write(d + "/page.html", kEarlier);
             must(::link((d + "/page.html").c_str(), (d + "/other.html").c_str()));
             saveInPlaceMeanwhile(d + "/page.html", 300, "theirs");
         },
         Save{"page.html", kPage, SaveStatus::Saved},
         {holdsAfterTheOther("other.html", kPage)}},
        {"FifoReaderThatKeepsReadingGetsTheWholePage",
         Who::Anyone,
         [](auto& d) {
             makeFifo(d + "/fifo");
             readSlowly(d);
         },
         Save{"fifo", kHugePage, SaveStatus::Saved},
         {slowReaderGot(kHugePage.size())}},
        // Killed half-way, a save leaves the earlier page and nothing else.
        {"LongestNameIsReplacedNotWrittenInPlace",
         Who::Anyone,
         [](auto& d) {
             write(d + "/" + kLongestName, kEarlier);
             remember(d + "/" + kLongestName);
         },
         Save{kLongestName, kPage, SaveStatus::Saved},
         {holds(kLongestName, kPage), isNewFile(kLongestName), entriesAre(kLongestName)}},
        {"KilledWhileReplacingLeavesOnlyTheEarlierPage",
         Who::Anyone,
         [](auto& d) { write(d + "/page.html", kEarlier); },
         SaveKilled{"page.html"},
         {holds("page.html", kEarlier), entriesAre("page.html")}},
        {"KilledWhileMakingANewFileLeavesNothing",
         Who::Anyone,
         [](auto&) {},
         SaveKilled{"new.html"},
         {entriesAre("")}},
        // Loads never wait.
        {"LoadFifoWithoutWriter",
         Who::Anyone,
         [](auto& d) { makeFifo(d + "/fifo"); },
         Load{"fifo", std::nullopt},
         {}},
        {"LoadFifoWhoseWriterNeverCloses",
         Who::Anyone,
         [](auto& d) {
             makeFifo(d + "/fifo");
             const int writer = ::open((d + "/fifo").c_str(), O_RDWR);
             [[maybe_unused]] const auto written = ::write(writer, "001\n", 4);
         },
         Load{"fifo", std::nullopt},
         {}},
        {"LoadZeroDeviceBoundedByTheLimit",
         Who::Root,
         [](auto& d) { makeNode(d + "/zero", 5); },
         Load{"zero", std::string(100, '\0')},
         {}},
        {"LoadSocket",
         Who::Anyone,
         [](auto& d) {
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             std::strncpy(address.sun_path, (d + "/socket").c_str(), sizeof address.sun_path - 1);
             const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
             if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
                 ::listen(fd, 1);
             }
         },
         Load{"socket", std::nullopt},
         {}},
    };
    return cases;
}

// A case's name inside its folder, or a name of the system's own.
std::string inFolder(const std::string& dir, const std::string& name) {
    return name.front() == '/' ? name : dir + "/" + name;
}

// Saves in a process of its own that is killed while it flushes the page.
std::string saveKilled(const std::string& path) {
    const pid_t saver = ::fork();
    if (saver == 0) {
        duringFlush = [] { ::kill(::getpid(), SIGKILL); };
        saveTextFile(path, kPage);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(saver, &status, 0);
    return WIFSIGNALED(status) ? std::string() : "the save never flushed";
}

// The case's action: "" or what went wrong.
std::string act(const FileCase& c, const std::string& dir) {
    if (const auto* save = std::get_if<Save>(&c.action)) {
        const bool as = saveTextFile(inFolder(dir, save->name), save->bytes) == save->expected;
        return as ? std::string() : "the save gave another status";
    }
    if (const auto* killed = std::get_if<SaveKilled>(&c.action)) {
        return saveKilled(inFolder(dir, killed->name));
    }
    const Load& load = std::get<Load>(c.action);
    const bool as = loadTextFile(dir + "/" + load.name, 100) == load.expected;
    return as ? std::string() : "the load gave something else";
}

// The case's action and expectations, in the child: "" or what went wrong.
std::string runCase(const FileCase& c, const std::string& dir) {
    std::string wrong = act(c, dir);
    for (const Expectation& expectation : c.after) {
        if (wrong.empty()) {
            wrong = expectation(dir);
        }
    }
    return wrong;
}

// Readies the case's folder in the child. As root it becomes a private
// tmpfs first, and the case may then drop to nobody. "" or "skip: ...".
std::string prepareFolder(const FileCase& c, const std::string& dir) {
    if (::geteuid() == 0 &&
        (::unshare(CLONE_NEWNS) != 0 ||
         ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
         ::mount("numerlo-test", dir.c_str(), "tmpfs", 0, "size=256k,mode=0755") != 0)) {
        return std::string("skip: no private tmpfs: ") + std::strerror(errno);
    }
    c.setUp(dir);
    if (c.who == Who::Nobody &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
        return "skip: cannot become nobody";
    }
    return {};
}

// Runs one case in a child process. Returns what went wrong, "" if nothing,
// or "skip: ..." where the system allows no such child.
std::string runInChild(const FileCase& c, const std::string& dir) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return "no pipe";
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        ::alarm(20);  // a call that waits forever fails the case
        std::string outcome = prepareFolder(c, dir);
        if (outcome.empty()) {
            outcome = runCase(c, dir);
        }
        [[maybe_unused]] const auto sent = ::write(channel[1], outcome.data(), outcome.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string outcome;
    char buffer[512];
    for (ssize_t n = 0; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        outcome.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? outcome : "the child did not finish (it waited, or crashed)";
}

class FilesAnyName : public ::testing::TestWithParam<FileCase> {};

TEST_P(FilesAnyName, LoadsAndSavesAsItShould) {
    const FileCase& c = GetParam();
    if (c.who != Who::Anyone && ::geteuid() != 0) {
        GTEST_SKIP() << "needs root: device nodes, private mounts or other users";
    }
    char dir[] = "/tmp/numerlo-files-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string outcome = runInChild(c, dir);
    std::filesystem::remove_all(dir);
    if (outcome.rfind("skip: ", 0) == 0) {
        GTEST_SKIP() << outcome;
    }
    EXPECT_EQ(outcome, "");
}

INSTANTIATE_TEST_SUITE_P(, FilesAnyName, ::testing::ValuesIn(fileCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace numerlo::testing
