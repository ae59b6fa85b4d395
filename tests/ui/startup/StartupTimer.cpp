// Measures how long programs take from being started to showing their first window on the X
// display in DISPLAY: each run starts the program, waits until it maps a top-level window, then
// ends it. The programs are run in turn, so that they share the machine's state equally.
//
//   startup-timer RUNS PROGRAM...
#include <X11/Xlib.h>
#include <signal.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

/// Milliseconds from start to the first mapped top-level window, or a negative value on time-out.
double timeOneRun(Display* display, const char* program) {
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, True);

    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    double elapsed = -1;
    const int connection = ConnectionNumber(display);
    while (Clock::now() - start < std::chrono::seconds(20)) {
        while (XPending(display) > 0) {
            XEvent event;
            XNextEvent(display, &event);
            if (event.type == MapNotify && event.xmap.event == root &&
                event.xmap.override_redirect == False && elapsed < 0) {
                elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
            }
        }
        if (elapsed >= 0) {
            break;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(connection, &readable);
        timeval wait{0, 100000};
        select(connection + 1, &readable, nullptr, nullptr, &wait);
    }
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
    XSelectInput(display, root, NoEventMask);
    XSync(display, True);
    return elapsed;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RUNS PROGRAM...\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr || runs <= 0) {
        std::fprintf(stderr, "startup-timer: no X display (set DISPLAY) or bad run count\n");
        return 2;
    }
    std::vector<std::vector<double>> times(static_cast<std::size_t>(argc - 2));
    // One warm-up run each, not counted: it loads the libraries into the page cache.
    for (int p = 2; p < argc; ++p) {
        timeOneRun(display, argv[p]);
    }
    for (int run = 0; run < runs; ++run) {
        for (int p = 2; p < argc; ++p) {
            const double ms = timeOneRun(display, argv[p]);
            if (ms < 0) {
                std::fprintf(stderr, "startup-timer: %s showed no window\n", argv[p]);
                return 1;
            }
            times[static_cast<std::size_t>(p - 2)].push_back(ms);
        }
    }
    for (int p = 2; p < argc; ++p) {
        const auto& t = times[static_cast<std::size_t>(p - 2)];
        std::printf("%-40s median %7.1f ms  min %7.1f ms  max %7.1f ms  (%d runs)\n", argv[p],
                    median(t), *std::min_element(t.begin(), t.end()),
                    *std::max_element(t.begin(), t.end()), runs);
    }
    if (argc == 4) {
        std::printf("ratio (first / second, medians): %.2f\n", median(times[0]) / median(times[1]));
    }
    XCloseDisplay(display);
    return 0;
}
