// The programs as a user starts them, each beside its floor in the same run:
//   ctl_status     - `quillonctl --simulate status` wall time and peak RSS ÷ `quillonctl --help`
//   config_start   - quillon-config --simulate --no-splash, main to first paint and peak RSS
//                    ÷ a minimal Qt Widgets window (offscreen, timed inside each process)
//   idle_*         - CPU time over 10 idle seconds, as a share of one core
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Run {
    double wallMs = 0;
    double rssKb = 0;
    std::string out;
};

const std::string kSettings =
    (std::filesystem::temp_directory_path() / "quillon_bench_settings.ini").string();

pid_t start(const std::vector<std::string>& words, int outFd) {
    pid_t pid = fork();
    if (pid == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        dup2(outFd, STDOUT_FILENO);
        int null = ::open("/dev/null", O_WRONLY);
        dup2(null, STDERR_FILENO);
        std::vector<char*> argv;
        for (const auto& w : words) {
            argv.push_back(const_cast<char*>(w.c_str()));
        }
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

Run runOnce(const std::vector<std::string>& words) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        return {};
    }
    auto begin = std::chrono::steady_clock::now();
    pid_t pid = start(words, pipeFds[1]);
    close(pipeFds[1]);
    Run run;
    char buffer[4096];
    ssize_t got = 0;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) {
        run.out.append(buffer, static_cast<size_t>(got));
    }
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - begin;
    run.wallMs = took.count();
    run.rssKb = double(usage.ru_maxrss);
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Median wall time (or the figure the program prints after `key`) and peak RSS of `runs` runs.
std::pair<double, double> measure(const std::vector<std::string>& words, int runs,
                                  const std::string& key = "") {
    std::vector<double> times;
    std::vector<double> rss;
    for (int i = 0; i < runs; ++i) {
        Run run = runOnce(words);
        double figure = run.wallMs;
        if (!key.empty()) {
            auto at = run.out.find(key);
            figure = at == std::string::npos ? 0 : std::atof(run.out.c_str() + at + key.size());
        }
        times.push_back(figure);
        rss.push_back(run.rssKb);
    }
    return {median(times), median(rss)};
}

void ctlStatus(benchmark::State& state) {
    for (auto _ : state) {
        auto status = measure({QUILLONCTL, "--simulate", "--settings", kSettings, "status"}, 21);
        auto help = measure({QUILLONCTL, "--help"}, 21);
        state.counters["status_ms"] = status.first;
        state.counters["help_ms"] = help.first;
        state.counters["x_floor"] = status.first / help.first;
        state.counters["status_rss_kb"] = status.second;
        state.counters["help_rss_kb"] = help.second;
    }
}
BENCHMARK(ctlStatus)->Iterations(1)->Unit(benchmark::kMillisecond);

#ifdef QUILLON_CONFIG
void configStart(benchmark::State& state) {
    setenv("QUILLON_FIRST_PAINT", "1", 1);
    for (auto _ : state) {
        auto config =
            measure({QUILLON_CONFIG, "--simulate", "--no-splash", "--settings", kSettings}, 11,
                    "first_paint_ms ");
        auto minimal = measure({MINIMAL_WINDOW}, 11, "first_paint_ms ");
        state.counters["paint_ms"] = config.first;
        state.counters["minimal_paint_ms"] = minimal.first;
        state.counters["x_floor"] = config.first / minimal.first;
        state.counters["rss_kb"] = config.second;
        state.counters["minimal_rss_kb"] = minimal.second;
        state.counters["rss_x_floor"] = config.second / minimal.second;
    }
    unsetenv("QUILLON_FIRST_PAINT");
}
BENCHMARK(configStart)->Iterations(1)->Unit(benchmark::kMillisecond);
#endif

// User plus system clock ticks the process has used so far.
double cpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), {});
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15) {
            ticks += std::atof(field.c_str());
        }
    }
    return ticks;
}

// Starts every program, lets them settle, and takes their CPU time over the same idle seconds.
void idle(benchmark::State& state) {
    constexpr int kSeconds = 10;
    const std::string socket =
        (std::filesystem::temp_directory_path() / "quillon_bench.sock").string();
    std::vector<std::pair<std::string, std::vector<std::string>>> programs = {
        {"sim", {QUILLON_SIM, "--socket", socket, "--simulate", "keys=8"}},
#ifdef QUILLON_CONFIG
        {"config", {QUILLON_CONFIG, "--simulate", "--no-splash", "--settings", kSettings}},
#endif
    };
    for (auto _ : state) {
        int null = ::open("/dev/null", O_WRONLY);
        std::vector<pid_t> pids;
        for (const auto& program : programs) {
            pids.push_back(start(program.second, null));
        }
        close(null);
        std::this_thread::sleep_for(std::chrono::seconds(3));
        std::vector<double> before;
        for (pid_t pid : pids) {
            before.push_back(cpuTicks(pid));
        }
        std::this_thread::sleep_for(std::chrono::seconds(kSeconds));
        double perSecond = double(sysconf(_SC_CLK_TCK));
        for (size_t i = 0; i < pids.size(); ++i) {
            double ticks = cpuTicks(pids[i]) - before[i];
            state.counters[programs[i].first + "_ticks"] = ticks;
            state.counters[programs[i].first + "_core_pct"] = 100 * ticks / (perSecond * kSeconds);
            kill(pids[i], SIGTERM);
            waitpid(pids[i], nullptr, 0);
        }
    }
    std::filesystem::remove(socket);
}
BENCHMARK(idle)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
