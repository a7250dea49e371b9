// Start-up time of the program: from the start of its process to the first
// painting of the login window, on a copy of the demo data root. The program is
// started several times with ZHURNAL_STARTUP_PROBE set (it reports the moment
// on the monotonic clock and ends there); prints each run, the median and the
// best, in milliseconds.
//   zhurnal_bench_startup PROGRAM DATA_ROOT [RUNS]

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

static long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

int main(int argc, char *argv[])
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PROGRAM DATA_ROOT [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 15;
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        int out[2];
        if (pipe(out) != 0)
            return 1;
        const long long started = monotonicNs();
        const pid_t child = fork();
        if (child == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            setenv("ZHURNAL_STARTUP_PROBE", "1", 1);
            execl(argv[1], argv[1], "--data", argv[2], static_cast<char *>(nullptr));
            _exit(127);
        }
        close(out[1]);
        std::string text;
        char buffer[256];
        for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
            text.append(buffer, size_t(n));
        close(out[0]);
        int status = 0;
        waitpid(child, &status, 0);
        const auto at = text.find("login shown ");
        if (at == std::string::npos) {
            std::fprintf(stderr, "run %d: no report from the program\n", run + 1);
            return 1;
        }
        const long long shown = std::atoll(text.c_str() + at + std::strlen("login shown "));
        ms.push_back((shown - started) / 1e6);
        std::printf("run %2d: %.1f ms\n", run + 1, ms.back());
    }
    std::vector<double> sorted = ms;
    std::sort(sorted.begin(), sorted.end());
    std::printf("start to login window shown: median %.1f ms, best %.1f ms (%d runs)\n", sorted[sorted.size() / 2], sorted.front(), runs);
    return 0;
}
