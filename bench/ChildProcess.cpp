#include "ChildProcess.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace morvane::bench {

namespace {

constexpr std::string_view kErrorPrefix = "error: ";

// Standard output goes to `outputFd`, or to /dev/null for -1; standard error always goes to
// /dev/null.
pid_t Spawn(const std::string& program, const std::vector<std::string>& args, int outputFd)
{
    std::vector<std::string> words;
    words.push_back(program);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outputFd < 0)
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    else
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0)
        throw ChildProcessError("cannot start " + program + ": " + std::strerror(error));
    return pid;
}

rusage Reap(pid_t pid, const std::string& program)
{
    int status = 0;
    rusage usage {};
    pid_t reaped = 0;
    do {
        reaped = ::wait4(pid, &status, 0, &usage);
    } while (reaped < 0 && errno == EINTR);
    if (reaped < 0)
        throw ChildProcessError("cannot wait for " + program + ": " + std::strerror(errno));
    if (WIFSIGNALED(status))
        throw ChildProcessError(
            program + " was killed by signal " + std::to_string(WTERMSIG(status)));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw ChildProcessError(
            program + " exited with status " + std::to_string(WEXITSTATUS(status)));
    return usage;
}

} // namespace

ChildRun RunChild(const std::string& program, const std::vector<std::string>& args)
{
    const auto start = std::chrono::steady_clock::now();
    const rusage usage = Reap(Spawn(program, args, -1), program);
    const auto end = std::chrono::steady_clock::now();
    ChildRun run;
    run.wallMs = std::chrono::duration<double, std::milli>(end - start).count();
    // Linux reports ru_maxrss in kibibytes.
    run.peakKiB = static_cast<double>(usage.ru_maxrss);
    return run;
}

ChildRun RunChildThroughLauncher(
    const std::string& launcher, const std::string& program, const std::vector<std::string>& args)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        throw ChildProcessError(std::string("cannot make a pipe: ") + std::strerror(errno));
    std::vector<std::string> launcherArgs {program};
    launcherArgs.insert(launcherArgs.end(), args.begin(), args.end());
    pid_t pid = 0;
    try {
        pid = Spawn(launcher, launcherArgs, fds[1]);
    } catch (const ChildProcessError&) {
        ::close(fds[0]);
        ::close(fds[1]);
        throw;
    }
    // Only the launcher may hold the write end now, so the read below ends when it exits.
    ::close(fds[1]);

    std::string report;
    char buffer[256];
    for (;;) {
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        report.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    try {
        Reap(pid, launcher);
    } catch (const ChildProcessError&) {
        // The launcher's own message says more than its exit status.
        ParseChildReport(report);
        throw;
    }
    return ParseChildReport(report);
}

std::string FormatChildRun(const ChildRun& run)
{
    char line[96];
    std::snprintf(line, sizeof line, "%.6f %.0f\n", run.wallMs, run.peakKiB);
    return line;
}

std::string FormatChildError(const std::string& message)
{
    return std::string(kErrorPrefix) + message + "\n";
}

ChildRun ParseChildReport(const std::string& report)
{
    if (report.starts_with(kErrorPrefix)) {
        const std::size_t end = report.find('\n');
        throw ChildProcessError(report.substr(kErrorPrefix.size(),
            end == std::string::npos ? std::string::npos : end - kErrorPrefix.size()));
    }
    ChildRun run;
    char rest = 0;
    if (std::sscanf(report.c_str(), "%lf %lf %c", &run.wallMs, &run.peakKiB, &rest) != 2
        || report.empty() || report.back() != '\n')
        throw ChildProcessError("the launcher gave no figures: \"" + report + "\"");
    return run;
}

} // namespace morvane::bench
