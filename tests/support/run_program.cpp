#include "run_program.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <mutex>
#include <sys/wait.h>
#include <unistd.h>

namespace mirvo_test {

namespace {

std::string slurp(const std::string &path)
{
    std::string s;
    if (FILE *f = fopen(path.c_str(), "rb")) {
        char buf[4096];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0)
            s.append(buf, n);
        fclose(f);
    }
    return s;
}

}  // namespace

namespace {

// Folders made by makeTempDir, removed with all they hold when the test program ends
// (MIRVO_KEEP_TEST_FILES=1 keeps them for a look). Only the process that made a folder
// removes it: a death test's child ends through exit() too.
std::mutex madeLock;
std::vector<std::pair<pid_t, std::string>> made;

void removeMadeFolders()
{
    const char *keep = getenv("MIRVO_KEEP_TEST_FILES");
    if (keep && *keep && *keep != '0')
        return;
    std::lock_guard<std::mutex> hold(madeLock);
    for (const auto &m : made) {
        if (m.first != getpid())
            continue;
        std::error_code ignored;
        std::filesystem::remove_all(m.second, ignored);
    }
    made.clear();
}

}  // namespace

std::string makeTempDir(const std::string &prefix)
{
    const char *tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/" + prefix + "-XXXXXX";
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    if (!mkdtemp(buf.data()))
        return std::string();
    std::lock_guard<std::mutex> hold(madeLock);
    static bool registered = atexit(removeMadeFolders) == 0;
    (void)registered;
    made.emplace_back(getpid(), std::string(buf.data()));
    return std::string(buf.data());
}

std::vector<std::string> listFiles(const std::string &dir, const std::string &suffix)
{
    std::vector<std::string> names;
    if (DIR *d = opendir(dir.c_str())) {
        while (dirent *e = readdir(d)) {
            std::string n = e->d_name;
            if (n.size() >= suffix.size() &&
                n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0)
                names.push_back(dir + "/" + n);
        }
        closedir(d);
    }
    std::sort(names.begin(), names.end());
    return names;
}

ProgramResult runProgram(const std::vector<std::string> &argv, const std::string &cwd,
                         const std::vector<std::pair<std::string, std::string>> &env)
{
    ProgramResult result;
    std::string dir = makeTempDir("mirvo-run");
    std::string out = dir + "/out", err = dir + "/err";
    pid_t pid = fork();
    if (pid == 0) {
        int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(o, 1);
        dup2(e, 2);
        int devnull = open("/dev/null", O_RDONLY);
        dup2(devnull, 0);
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        for (auto &kv : env) {
            if (kv.second.empty())
                unsetenv(kv.first.c_str());
            else
                setenv(kv.first.c_str(), kv.second.c_str(), 1);
        }
        if (!cwd.empty() && chdir(cwd.c_str()) != 0)
            _exit(126);
        std::vector<char *> args;
        for (auto &a : argv)
            args.push_back(const_cast<char *>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    result.out = slurp(out);
    result.err = slurp(err);
    unlink(out.c_str());
    unlink(err.c_str());
    rmdir(dir.c_str());
    return result;
}

std::string findProgram(const char *name)
{
    const char *path = getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}

}  // namespace mirvo_test
