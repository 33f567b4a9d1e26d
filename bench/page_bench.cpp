// numerlo-page --every over a whole draw history (2,073 draws, 207 pages)
// against the floor: the same bytes written just as durably (each file
// written, fsynced and renamed into place, then the folder fsynced), in the
// same run, on the same disk. Prints both, their ratio, and the program's
// peak memory for the whole history and for a tenth of it.
//   page_bench [ROUNDS]
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A history as it is published, from a fixed seed: draw number, date,
// seven distinct numbers, and prize columns.
std::string syntheticHistory(int draws) {
    std::string csv =
        "開催回,日付,第1数字,第2数字,第3数字,第4数字,第5数字,第6数字,BONUS数字,1等口数,2等口数,"
        "3等口数,4等口数,5等口数,1等賞金,2等賞金,3等賞金,4等賞金,5等賞金,キャリーオーバー\r\n";
    unsigned state = 20001005U;
    const auto next = [&state] {
        state = state * 1103515245U + 12345U;
        return (state >> 16) % 43 + 1;
    };
    for (int n = 1; n <= draws; ++n) {
        std::vector<unsigned> picked;
        while (picked.size() < 7) {
            const unsigned v = next();
            if (std::find(picked.begin(), picked.end(), v) == picked.end()) {
                picked.push_back(v);
            }
        }
        std::sort(picked.begin(), picked.begin() + 6);
        csv += std::to_string(n) + ",2000/10/5";
        for (const unsigned v : picked) {
            csv += "," + std::to_string(v);
        }
        csv += ",1,12,345,6789,98765,123456789,9876543,345678,9100,1000,0\r\n";
    }
    return csv;
}

struct Ran {
    double seconds = 0;
    long peakKiB = 0;
    int status = -1;
};

Ran runProgram(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& a : arguments) {
        argv.push_back(const_cast<char*>(a.c_str()));
    }
    argv.push_back(nullptr);
    const auto start = Clock::now();
    const pid_t child = ::fork();
    if (child == 0) {
        const int quiet = ::open("/dev/null", O_WRONLY);  // the left-over draws' note
        ::dup2(quiet, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    return {std::chrono::duration<double>(Clock::now() - start).count(), usage.ru_maxrss,
            WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    while (const dirent* entry = dir != nullptr ? ::readdir(dir) : nullptr) {
        if (entry->d_name[0] != '.') {
            names.emplace_back(entry->d_name);
        }
    }
    if (dir != nullptr) {
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The floor: every page written, fsynced and renamed into place, then the
// folder fsynced.
double floorWrite(const std::string& folder, const std::vector<std::string>& names,
                  const std::vector<std::string>& pages) {
    const auto start = Clock::now();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string temp = folder + "/." + names[i] + ".new";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0 ||
            ::write(fd, pages[i].data(), pages[i].size()) !=
                static_cast<ssize_t>(pages[i].size()) ||
            ::fsync(fd) != 0 || ::close(fd) != 0 ||
            ::rename(temp.c_str(), (folder + "/" + names[i]).c_str()) != 0) {
            std::perror("floor");
            std::exit(1);
        }
    }
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::fsync(dir);
    ::close(dir);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    char base[] = "/var/tmp/numerlo-page-bench-XXXXXX";
    if (::mkdtemp(base) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string dir = base;
    const std::string csv = dir + "/history.csv";
    const std::string small = dir + "/tenth.csv";
    const std::string history = syntheticHistory(2073);
    std::ofstream(csv, std::ios::binary) << history;
    std::ofstream(small, std::ios::binary) << syntheticHistory(207);
    const std::string site = dir + "/site";
    const std::string floor = dir + "/floor";
    ::mkdir(site.c_str(), 0755);
    ::mkdir(floor.c_str(), 0755);

    const std::string program = NUMERLO_PAGE_PROGRAM;
    const Ran first = runProgram({program, "--csv", csv, "--every", site});
    const std::vector<std::string> names = namesIn(site);
    std::vector<std::string> pages;
    pages.reserve(names.size());
    for (const std::string& name : names) {
        std::string path = site;
        path += '/';
        path += name;
        pages.push_back(readAll(path));
    }
    floorWrite(floor, names, pages);

    // Both replace the pages of the previous round, as a weekly job does.
    std::vector<double> program_s;
    std::vector<double> floor_s;
    long peak = first.peakKiB;
    for (int r = 0; r < rounds; ++r) {
        const Ran again = runProgram({program, "--csv", csv, "--every", site});
        program_s.push_back(again.seconds);
        peak = std::max(peak, again.peakKiB);
        floor_s.push_back(floorWrite(floor, names, pages));
    }
    const Ran tenth = runProgram({program, "--csv", small, "--every", site});

    std::size_t bytes = 0;
    for (const std::string& page : pages) {
        bytes += page.size();
    }
    std::printf("history: %zu bytes, 2073 draws; %zu pages, %zu bytes (exit %d)\n", history.size(),
                names.size(), bytes, first.status);
    std::printf("first run into an empty folder: %.3f s\n", first.seconds);
    std::printf("numerlo-page --every (median of %d): %.3f s\n", rounds, median(program_s));
    std::printf("floor: write, fsync, rename, fsync folder: %.3f s\n", median(floor_s));
    std::printf("ratio: %.2f (at most 1.5)\n", median(program_s) / median(floor_s));
    std::printf("peak memory: %ld KiB for 2073 draws, %ld KiB for 207 draws\n", peak,
                tenth.peakKiB);
    const std::string clean = "rm -rf '" + dir + "'";
    return std::system(clean.c_str()) == 0 ? 0 : 1;
}
