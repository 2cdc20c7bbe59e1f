// The programs as a user starts them, each beside its floor in the same run:
//   ctlStatus      - `quillonctl --simulate status` wall time and peak RSS ÷ `quillonctl --help`
//   configStart    - quillon-config --simulate --no-splash, main to first paint (timed inside
//                    each process), process start to first paint, and peak RSS ÷ a minimal Qt
//                    Widgets window (offscreen)
//   idle           - CPU time over 10 idle seconds, as a share of one core: quillon-sim,
//                    quillon-config --simulate, and quillon-config --hid-socket on the server
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
        std::vector<char*> argv(words.size() + 1, nullptr);
        std::transform(words.begin(), words.end(), argv.begin(),
                       [](const std::string& w) { return const_cast<char*>(w.c_str()); });
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

struct Figures {
    double figure = 0;  // the wall time, or the figure the program printed
    double wallMs = 0;
    double rssKb = 0;
};

// Medians over `runs` runs: the figure the program prints after `key` (without a key, the wall
// time), the wall time from fork to exit, and the peak RSS.
Figures measure(const std::vector<std::string>& words, int runs, const std::string& key = "") {
    std::vector<double> figures;
    std::vector<double> walls;
    std::vector<double> rss;
    for (int i = 0; i < runs; ++i) {
        Run run = runOnce(words);
        double figure = run.wallMs;
        if (!key.empty()) {
            auto at = run.out.find(key);
            figure = at == std::string::npos ? 0 : std::atof(run.out.c_str() + at + key.size());
        }
        figures.push_back(figure);
        walls.push_back(run.wallMs);
        rss.push_back(run.rssKb);
    }
    return {median(figures), median(walls), median(rss)};
}

void ctlStatus(benchmark::State& state) {
    for ([[maybe_unused]] auto _ : state) {
        auto status = measure({QUILLONCTL, "--simulate", "--settings", kSettings, "status"}, 21);
        auto help = measure({QUILLONCTL, "--help"}, 21);
        state.counters["status_ms"] = status.figure;
        state.counters["help_ms"] = help.figure;
        state.counters["x_floor"] = status.figure / help.figure;
        state.counters["status_rss_kb"] = status.rssKb;
        state.counters["help_rss_kb"] = help.rssKb;
        state.counters["rss_x_floor"] = status.rssKb / help.rssKb;
    }
}
BENCHMARK(ctlStatus)->Iterations(1)->Unit(benchmark::kMillisecond);

#ifdef QUILLON_CONFIG
void configStart(benchmark::State& state) {
    setenv("QUILLON_FIRST_PAINT", "1", 1);
    for ([[maybe_unused]] auto _ : state) {
        auto config =
            measure({QUILLON_CONFIG, "--simulate", "--no-splash", "--settings", kSettings}, 11,
                    "first_paint_ms ");
        auto minimal = measure({MINIMAL_WINDOW}, 11, "first_paint_ms ");
        state.counters["paint_ms"] = config.figure;
        state.counters["minimal_paint_ms"] = minimal.figure;
        state.counters["x_floor"] = config.figure / minimal.figure;
        // The probe ends the program as it prints, so the wall time is what a user waits from
        // the start of the process: the dynamic loader's work before main included.
        state.counters["start_paint_ms"] = config.wallMs;
        state.counters["minimal_start_paint_ms"] = minimal.wallMs;
        state.counters["start_x_floor"] = config.wallMs / minimal.wallMs;
        state.counters["rss_kb"] = config.rssKb;
        state.counters["minimal_rss_kb"] = minimal.rssKb;
        state.counters["rss_x_floor"] = config.rssKb / minimal.rssKb;
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

// A client started before the server listens would find no keypad.
void waitForPath(const std::string& path) {
    for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Starts every program, lets them settle, and takes their CPU time over the same idle seconds:
// the window on its own simulated keypad, and a window on quillon-sim's keypad, whose costs
// the server's figure includes (its reads and its device watch).
void idle(benchmark::State& state) {
    constexpr int kSeconds = 10;
    const auto temp = std::filesystem::temp_directory_path();
    const std::string socket = (temp / "quillon_bench.sock").string();
    std::vector<std::pair<std::string, std::vector<std::string>>> programs = {
        {"sim", {QUILLON_SIM, "--socket", socket, "--simulate", "keys=8"}},
#ifdef QUILLON_CONFIG
        {"config", {QUILLON_CONFIG, "--simulate", "--no-splash", "--settings", kSettings}},
        {"config_socket",
         {QUILLON_CONFIG, "--hid-socket", socket, "--no-splash", "--settings",
          (temp / "quillon_bench_socket_settings.ini").string()}},
#endif
    };
    std::filesystem::remove(socket);
    for ([[maybe_unused]] auto _ : state) {
        int null = ::open("/dev/null", O_WRONLY);
        std::vector<pid_t> pids;
        pids.reserve(programs.size());
        for (const auto& program : programs) {
            pids.push_back(start(program.second, null));
            if (program.first == "sim") {
                waitForPath(socket);
            }
        }
        close(null);
        std::this_thread::sleep_for(std::chrono::seconds(3));
        std::vector<double> before(pids.size());
        std::transform(pids.begin(), pids.end(), before.begin(), cpuTicks);
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
