// mkpak_bench MKPAK CORPUS WORK: runs the tool's create, test and extract on the corpus folder with one thread
// and with every core, side by side, and prints wall-clock MB/s (of unpacked bytes), the ratio of the two, the
// peak memory of each run, the packed ratio and whether the two packages are byte-identical. Each figure is the
// best of five rounds, the two thread counts taking turns, so a burst of other work on a shared machine hurts
// both alike.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Run {
    double seconds = 1e30;
    long peakKb = 0;
};

// Runs the command with its output thrown away; the wall-clock time and peak memory of the child.
Run Start(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 1, "/dev/null", O_WRONLY, 0);
    const auto t0 = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &quiet, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "mkpak_bench: cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    rusage use{};
    wait4(pid, &status, 0, &use);
    const auto t1 = std::chrono::steady_clock::now();
    posix_spawn_file_actions_destroy(&quiet);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "mkpak_bench: %s %s failed\n", argv[0], argv[1]);
        std::exit(1);
    }
    return {std::chrono::duration<double>(t1 - t0).count(), use.ru_maxrss};
}

std::vector<char> ReadAll(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    return std::vector<char>((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: mkpak_bench MKPAK CORPUS WORK\n");
        return 2;
    }
    const std::string mkpak = argv[1], corpus = argv[2];
    const fs::path work = argv[3];
    fs::create_directories(work);
    size_t bytes = 0, files = 0;
    for (const auto& e : fs::directory_iterator(corpus)) {
        bytes += static_cast<size_t>(e.file_size());
        ++files;
    }
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned jobs[2] = {1, cores};
    const char* commands[3] = {"create", "test", "extract"};
    Run best[3][2];
    auto pak = [&](int k) { return (work / ("j" + std::to_string(jobs[k]) + ".pak")).string(); };
    for (int round = 0; round < 5; ++round) {
        for (int c = 0; c < 3; ++c) {
            for (int k = 0; k < 2; ++k) {
                const std::string j = std::to_string(jobs[k]);
                const fs::path out = work / ("x" + j);
                fs::remove_all(out);
                std::vector<std::string> args = {mkpak, commands[c], "--jobs", j};
                if (c == 0)
                    args.insert(args.end(), {pak(k), "--product", "Quillostrand", "--version", "bench", corpus});
                if (c == 1) args.push_back(pak(k));
                if (c == 2) args.insert(args.end(), {pak(k), out.string()});
                const Run r = Start(args);
                best[c][k].seconds = std::min(best[c][k].seconds, r.seconds);
                best[c][k].peakKb = std::max(best[c][k].peakKb, r.peakKb);
            }
        }
    }
    const double mb = double(bytes) / 1e6;
    std::printf("%zu bytes in %zu files; 1 thread and %u\n", bytes, files, cores);
    std::printf("command   MB/s 1 job  MB/s %2u jobs   ratio   peak MB 1 job  peak MB %2u jobs\n", cores, cores);
    for (int c = 0; c < 3; ++c)
        std::printf("%-8s %11.2f %13.2f %6.2fx %14.1f %15.1f\n", commands[c], mb / best[c][0].seconds,
                    mb / best[c][1].seconds, best[c][0].seconds / best[c][1].seconds, best[c][0].peakKb / 1024.0,
                    best[c][1].peakKb / 1024.0);
    const std::vector<char> one = ReadAll(pak(0)), all = ReadAll(pak(1));
    std::printf("packed ratio: %.4f (%zu of %zu bytes)\n", double(one.size()) / double(bytes), one.size(), bytes);
    std::printf("packages identical: %s\n", one == all ? "yes" : "NO");
    fs::remove_all(work);
    return one == all ? 0 : 1;
}
