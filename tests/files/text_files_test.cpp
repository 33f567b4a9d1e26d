// Loads and saves at any name the system can hold: devices, FIFOs, sockets,
// hard links, other users' files, locked folders, loops of links, full disks.
// Each case runs in a child process in a private mount namespace, on a small
// tmpfs of its own where device nodes can be made, as root or as nobody; the
// machine's own /dev is never touched. Needs root; skipped otherwise.
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>

#include "text_files.h"

using namespace numerlo;

namespace {

constexpr uid_t kNobody = 65534;
const std::string kEarlier = "<HTML>the earlier page</HTML>\r\n";
const std::string kPage = "<HTML>the new page</HTML>\r\n";
const std::string kLargePage(std::size_t{64} * 1024, 'x');  // more than a full disk has room for

std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
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

bool dropToNobody() {
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

const std::string& name(const std::string& path) {
    return path;
}

// What a case found wrong, or nothing.
using Check = std::function<std::string(const std::string& dir)>;

std::string expect(bool holds, const std::string& what) {
    return holds ? std::string() : what;
}

std::string entries(const std::string& dir) {
    return QDir(QString::fromStdString(dir))
        .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System)
        .join(u' ')
        .toStdString();
}

struct Case {
    const char* title;
    bool asNobody;
    std::function<void(const std::string& dir)> setUp;  // as root
    Check check;                                        // as root or nobody
};

bool isCharDevice(const std::string& path, unsigned minor) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode) &&
           info.st_rdev == makedev(1, minor);
}

bool isFifo(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
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

const Case kCases[] = {
    {"null device: written into, kept", false, [](auto& d) { makeNode(d + "/null", 3); },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/null"), kPage) == SaveStatus::Saved &&
                           isCharDevice(d + "/null", 3),
                       "saved " + entries(d));
     }},
    {"full device: write error, kept", false, [](auto& d) { makeNode(d + "/full", 7); },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/full"), kPage) == SaveStatus::WriteError &&
                           isCharDevice(d + "/full", 7),
                       "not a write error, or replaced");
     }},
    {"FIFO with a reader gets the page", false, [](auto& d) { makeFifo(d + "/fifo"); },
     [](auto& d) {
         const int reader = ::open((d + "/fifo").c_str(), O_RDONLY | O_NONBLOCK);
         const SaveStatus status = saveTextFile(name(d + "/fifo"), kPage);
         std::string got(kPage.size() + 1, '\0');
         got.resize(static_cast<std::size_t>(
             std::max<ssize_t>(0, ::read(reader, got.data(), got.size()))));
         return expect(status == SaveStatus::Saved && got == kPage && isFifo(d + "/fifo"),
                       "the reader got \"" + got + "\"");
     }},
    {"FIFO without a reader cannot be created", false, [](auto& d) { makeFifo(d + "/fifo"); },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/fifo"), kPage) == SaveStatus::CannotCreate &&
                           isFifo(d + "/fifo"),
                       "not refused, or replaced");
     }},
    {"hard link: both names show the page", false,
     [](auto& d) {
         write(d + "/a.html", kEarlier);
         ::link((d + "/a.html").c_str(), (d + "/b.html").c_str());
     },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/a.html"), kPage) == SaveStatus::Saved &&
                           read(d + "/b.html") == kPage && entries(d) == "a.html b.html",
                       "b.html holds \"" + read(d + "/b.html") + "\"; " + entries(d));
     }},
    {"another user's file keeps owner, group and mode", false,
     [](auto& d) {
         write(d + "/theirs.html", kEarlier);
         ::chown((d + "/theirs.html").c_str(), kNobody, kNobody);
         ::chmod((d + "/theirs.html").c_str(), 0640);
     },
     [](auto& d) {
         struct stat info {};
         ::stat((d + "/theirs.html").c_str(), &info);
         return expect(saveTextFile(name(d + "/theirs.html"), kPage) == SaveStatus::Saved &&
                           read(d + "/theirs.html") == kPage && info.st_uid == kNobody &&
                           info.st_gid == kNobody && (info.st_mode & 07777) == 0640,
                       "owner, group or mode changed");
     }},
    {"symlink loop cannot be created, the links stay", false,
     [](auto& d) {
         ::symlink("loop2", (d + "/loop1").c_str());
         ::symlink("loop1", (d + "/loop2").c_str());
     },
     [](auto& d) {
         struct stat info {};
         return expect(saveTextFile(name(d + "/loop1"), kPage) == SaveStatus::CannotCreate &&
                           ::lstat((d + "/loop1").c_str(), &info) == 0 && S_ISLNK(info.st_mode),
                       "not refused, or the link replaced");
     }},
    {"full disk: the earlier page stays (replaced)", false,
     [](auto& d) {
         write(d + "/page.html", kEarlier);
         fillDisk(d);
     },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/page.html"), kLargePage) == SaveStatus::WriteError &&
                           read(d + "/page.html") == kEarlier && entries(d) == "filler page.html",
                       "lost the earlier page or left files: " + entries(d));
     }},
    {"full disk: the earlier page stays (in place)", false,
     [](auto& d) {
         write(d + "/page.html", kEarlier);
         ::link((d + "/page.html").c_str(), (d + "/other.html").c_str());
         fillDisk(d);
     },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/page.html"), kLargePage) == SaveStatus::WriteError &&
                           read(d + "/page.html") == kEarlier,
                       "lost the earlier page");
     }},
    {"full disk: no part of a new file", false, [](auto& d) { fillDisk(d); },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/new.html"), kLargePage) == SaveStatus::WriteError &&
                           entries(d) == "filler",
                       "left " + entries(d));
     }},
    {"full disk: a page that fits where the earlier one was replaces it", false,
     [](auto& d) {
         write(d + "/page.html", std::string(kPage.size(), 'e'));
         fillDisk(d);
     },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/page.html"), kPage) == SaveStatus::Saved &&
                           read(d + "/page.html") == kPage && entries(d) == "filler page.html",
                       "not saved: " + entries(d));
     }},
    {"a folder's default access list stays off a replaced page", false,
     [](auto& d) {
         write(d + "/page.html", kEarlier);
         ::chmod((d + "/page.html").c_str(), 0640);
         grantNobodyByDefault(d);
     },
     [](auto& d) {
         struct stat info {};
         ::stat((d + "/page.html").c_str(), &info);
         return expect(saveTextFile(name(d + "/page.html"), kPage) == SaveStatus::Saved &&
                           ::getxattr((d + "/page.html").c_str(), "system.posix_acl_access",
                                      nullptr, 0) < 0 &&
                           (info.st_mode & 07777) == 0640,
                       "the page gained an access list, or lost its mode");
     }},
    {"size limit where no room can be reserved ahead: the earlier page stays", false,
     [](auto& d) {
         ::mkdir((d + "/ram").c_str(), 0755);
         ::mount("numerlo-test", (d + "/ram").c_str(), "ramfs", 0, nullptr);
         write(d + "/ram/page.html", kEarlier);
         ::link((d + "/ram/page.html").c_str(), (d + "/ram/other.html").c_str());
     },
     [](auto& d) {
         rlimit limit{kEarlier.size() + 4, kEarlier.size() + 4};
         ::setrlimit(RLIMIT_FSIZE, &limit);
         return expect(
             saveTextFile(name(d + "/ram/page.html"), kLargePage) == SaveStatus::WriteError &&
                 read(d + "/ram/page.html") == kEarlier,
             "lost the earlier page");
     }},
    {"a /proc file is written without a false error", false, [](auto&) {},
     [](auto&) {
         return expect(saveTextFile("/proc/self/comm", "saved") == SaveStatus::Saved &&
                           read("/proc/self/comm") == "saved\n",
                       "not saved, or reported as failed");
     }},
    {"a file under a lease is saved once its holder lets go", false,
     [](auto& d) {
         write(d + "/leased.html", kEarlier);
         holdLease(d + "/leased.html");
     },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/leased.html"), kPage) == SaveStatus::Saved &&
                           read(d + "/leased.html") == kPage,
                       "not saved");
     }},
    {"as nobody: null device", true, [](auto& d) { makeNode(d + "/null", 3); },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/null"), kPage) == SaveStatus::Saved &&
                           isCharDevice(d + "/null", 3),
                       "not saved, or replaced");
     }},
    {"as nobody: full device", true, [](auto& d) { makeNode(d + "/full", 7); },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/full"), kPage) == SaveStatus::WriteError,
                       "not a write error");
     }},
    {"as nobody: FIFO without a reader", true, [](auto& d) { makeFifo(d + "/fifo"); },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/fifo"), kPage) == SaveStatus::CannotCreate,
                       "not refused");
     }},
    {"as nobody: a file they may write in a locked folder", true,
     [](auto& d) {
         ::mkdir((d + "/locked").c_str(), 0755);
         write(d + "/locked/page.html", kEarlier);
         ::chmod((d + "/locked/page.html").c_str(), 0666);
     },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/locked/page.html"), kPage) == SaveStatus::Saved &&
                           read(d + "/locked/page.html") == kPage,
                       "not saved");
     }},
    {"as nobody: a file they may write in a shared sticky folder", true,
     [](auto& d) {
         ::mkdir((d + "/shared").c_str(), 01777);
         ::chmod((d + "/shared").c_str(), 01777);
         write(d + "/shared/page.html", kEarlier);
         ::chmod((d + "/shared/page.html").c_str(), 0666);
     },
     [](auto& d) {
         return expect(saveTextFile(name(d + "/shared/page.html"), kPage) == SaveStatus::Saved &&
                           read(d + "/shared/page.html") == kPage &&
                           entries(d + "/shared") == "page.html",
                       "not saved, or left " + entries(d + "/shared"));
     }},
    {"loads: FIFO without a writer", false, [](auto& d) { makeFifo(d + "/fifo"); },
     [](auto& d) { return expect(!loadTextFile(d + "/fifo", 100), "not refused"); }},
    {"loads: FIFO whose writer never closes", false, [](auto& d) { makeFifo(d + "/fifo"); },
     [](auto& d) {
         const int writer = ::open((d + "/fifo").c_str(), O_RDWR);
         [[maybe_unused]] const auto written = ::write(writer, "001\n", 4);
         return expect(!loadTextFile(d + "/fifo", 100), "not refused");
     }},
    {"loads: a zero device, bounded by the limit", false, [](auto& d) { makeNode(d + "/zero", 5); },
     [](auto& d) {
         const std::optional<std::string> loaded = loadTextFile(d + "/zero", 100);
         return expect(loaded && *loaded == std::string(100, '\0'), "not 100 zero bytes");
     }},
    {"loads: a socket", false,
     [](auto& d) {
         sockaddr_un address{};
         address.sun_family = AF_UNIX;
         std::strncpy(address.sun_path, (d + "/socket").c_str(), sizeof address.sun_path - 1);
         const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
         if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
             ::listen(fd, 1);
         }
     },
     [](auto& d) { return expect(!loadTextFile(d + "/socket", 100), "not refused"); }},
};

// Runs one case in a child with a private tmpfs at `dir`. Returns what went
// wrong, "" if nothing, or "skip: ..." where the system allows no such child.
std::string runInChild(const Case& c, const std::string& dir) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return "no pipe";
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        ::alarm(20);  // a call that waits forever fails the case
        std::string outcome;
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("numerlo-test", dir.c_str(), "tmpfs", 0, "size=256k,mode=0755") != 0) {
            outcome = std::string("skip: no private tmpfs: ") + std::strerror(errno);
        } else {
            c.setUp(dir);
            if (c.asNobody && !dropToNobody()) {
                outcome = "skip: cannot become nobody";
            } else {
                outcome = c.check(dir);
            }
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
    if (!WIFEXITED(status)) {
        return "the child did not finish (it waited, or crashed)";
    }
    return outcome;
}

}  // namespace

class TextFilesTest : public QObject {
    Q_OBJECT

  private slots:
    void anyNameTheSystemCanHold_data() {
        QTest::addColumn<int>("index");
        for (int i = 0; i < static_cast<int>(std::size(kCases)); ++i) {
            QTest::newRow(kCases[i].title) << i;
        }
    }
    void anyNameTheSystemCanHold() {
        QFETCH(int, index);
        if (::geteuid() != 0) {
            QSKIP("needs root: device nodes, private mounts and other users");
        }
        const QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string outcome = runInChild(kCases[index], dir.path().toStdString());
        if (outcome.rfind("skip: ", 0) == 0) {
            QSKIP(outcome.c_str());
        }
        QVERIFY2(outcome.empty(), outcome.c_str());
    }
};

QTEST_APPLESS_MAIN(TextFilesTest)
#include "text_files_test.moc"
