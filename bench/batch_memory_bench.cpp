// Peak resident memory of quillshift-convert for the shapes of input that cost the most, in each
// mode: the program is run on a generated script and its peak is read from wait4(). Prints one
// line per shape with the peak and its ratio to the input's size; exits 1 when a ratio passes the
// limit. Usage: batch_memory_bench [QUILLSHIFT_CONVERT [MEGABYTES [LIMIT]]]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

void writeRepeated(const fs::path& path, const std::string& head, const std::string& unit,
                   std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    out << head;
    std::string block;
    while (block.size() < (1 << 20)) {
        block += unit;
    }
    for (std::size_t written = head.size(); written < size; written += block.size()) {
        out << block;
    }
}

// Runs the converter with `arguments` in `folder`, its output thrown away; returns the peak
// resident memory in bytes.
long long peakOf(const std::string& exe, const std::vector<std::string>& arguments,
                 const fs::path& folder) {
    std::vector<std::string> all{exe};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    argv.reserve(all.size() + 1);
    for (auto& a : all) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        return -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    return static_cast<long long>(usage.ru_maxrss) * 1024;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string exe = fs::absolute(argc > 1 ? argv[1] : QUILLSHIFT_CONVERT_EXE).string();
    const std::size_t size = (argc > 2 ? std::stoul(argv[2]) : 20) << 20;
    const double limit = argc > 3 ? std::stod(argv[3]) : 3.0;
    char pattern[] = "/tmp/quillshift-memory-XXXXXX";
    const fs::path dir = ::mkdtemp(pattern);
    const std::string program = "program Big;\r\n";
    writeRepeated(dir / "lf-body.ifs", program, "  GetPicture(PicURL, False); x := 1;\n", size);
    writeRepeated(dir / "short-header.ifs", "", "x\r\n", size);
    writeRepeated(dir / "tabs.ifs", program + "  GetPicture(a, b);", "\t", size);
    writeRepeated(dir / "warned.ifs", program, "  GetPicture(F(a, b), c);\n", size);
    fs::create_directories(dir / "tree/a");
    fs::create_directories(dir / "tree/b");
    for (const char* name : {"tree/a/1.ifs", "tree/a/2.ifs", "tree/b/3.ifs", "tree/b/4.ifs"}) {
        fs::copy_file(dir / "short-header.ifs", dir / name);
    }
    struct Shape {
        const char* name;
        std::vector<std::string> arguments;
    };
    const std::vector<Shape> shapes{
        {"--diff, every body line changed", {"--diff", "lf-body.ifs"}},
        {"--diff, header of 1-character lines", {"--diff", "short-header.ifs"}},
        {"--diff --json, every body line changed", {"--diff", "--json", "lf-body.ifs"}},
        {"--json -n, header of 1-character lines", {"--json", "-n", "short-header.ifs", "x.ifs"}},
        {"-o, header of 1-character lines", {"-f", "-o", "out", "short-header.ifs"}},
        {"-r -o, four such files in one run", {"-f", "-r", "-o", "out", "tree"}},
        {"-o, one body line of tabs", {"-f", "-o", "out", "tabs.ifs"}},
        {"--diff, one body line of tabs", {"--diff", "tabs.ifs"}},
        {"-n, one body line of tabs", {"-n", "tabs.ifs", "y.ifs"}},
        {"-i, header of 1-character lines", {"-f", "-i", "short-header.ifs"}},
        {"--check, every body line changed", {"--check", "lf-body.ifs"}},
        {"--check, a warning on every line", {"--check", "warned.ifs"}},
        {"--json --fix -n, a warning on every line",
         {"--json", "--fix", "-n", "warned.ifs", "w.ifs"}},
    };
    fs::create_directories(dir / "out");
    bool within = true;
    std::printf("%-42s %9s %10s %7s\n", "shape", "input MB", "peak MB", "ratio");
    for (const Shape& shape : shapes) {
        const double input = static_cast<double>(size) / (1 << 20);
        const double peak = static_cast<double>(peakOf(exe, shape.arguments, dir)) / (1 << 20);
        const double ratio = peak / input;
        within = within && ratio <= limit;
        std::printf("%-42s %9.1f %10.1f %6.2fx\n", shape.name, input, peak, ratio);
    }
    fs::remove_all(dir);
    return within ? 0 : 1;
}
