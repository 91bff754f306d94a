#include "util/processing/PyramidBuilder.h"

#include <QByteArray>
#include <QStandardPaths>
#include <QString>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace util {

namespace {

using Clock = std::chrono::steady_clock;

// The builder's output is shown as one text, up to its first NUL byte.
std::string textUpToNul(const std::string &bytes)
{
    return bytes.substr(0, bytes.find('\0'));
}

// Keeps the last PyramidResult::tailBytes of what it is given, in time linear in the input.
void keepTail(std::string &tail, bool &cut, const char *data, std::size_t size)
{
    tail.append(data, size);
    if (tail.size() > 2 * PyramidResult::tailBytes) {
        tail.erase(0, tail.size() - PyramidResult::tailBytes);
        cut = true;
    }
}

void trimTail(std::string &tail, bool &cut)
{
    if (tail.size() > PyramidResult::tailBytes) {
        tail.erase(0, tail.size() - PyramidResult::tailBytes);
        cut = true;
    }
}

// The executable program names: itself when it holds a '/', else the first match on PATH.
// 0, or the errno that says why it cannot be run.
int locate(const std::string &program, std::string &path)
{
    if (program.empty())
        return ENOENT;
    if (program.find('/') == std::string::npos) {
        path = QStandardPaths::findExecutable(QString::fromStdString(program)).toStdString();
        return path.empty() ? ENOENT : 0;
    }
    path = program;
    struct stat info;
    if (::stat(path.c_str(), &info) != 0)
        return errno;
    if (S_ISDIR(info.st_mode) || ::access(path.c_str(), X_OK) != 0)
        return EACCES;
    return 0;
}

class Fd
{
public:
    Fd() = default;
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    int get() const { return m_fd; }
    int *out() { return &m_fd; }
    void reset()
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd = -1;
};

bool makePipe(Fd &read, Fd &write)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    *read.out() = fds[0];
    *write.out() = fds[1];
    return true;
}

// Starts argv[0] in a process group of its own, standard input an empty pipe, the outputs to
// the write ends given. 0 or the errno.
int spawn(const std::string &path, const std::vector<std::string> &arguments, int out, int err,
          pid_t &pid)
{
    Fd inRead, inWrite;
    if (!makePipe(inRead, inWrite))
        return errno;
    inWrite.reset(); // nothing to read: the first read sees the end
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_adddup2(&actions, inRead.get(), 0);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_adddup2(&actions, err, 2);
    // Its own group, so that the time-out ends whatever it started too; and the default
    // signal handling and mask, whatever this process has set.
    sigset_t all, none;
    sigfillset(&all);
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(
        &attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
    std::vector<char *> argv;
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    const int error =
        ::posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error;
}

// Reads what is there; false at the end of the stream (or on an error).
bool drain(int fd, std::string &tail, bool &cut)
{
    char buffer[16384];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            keepTail(tail, cut, buffer, std::size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return n < 0 && errno == EAGAIN;
    }
}

} // namespace

bool buildPyramid(const std::string &program, const std::string &image, int timeoutMs,
                  PyramidResult &result, Failure *failure)
{
    result = PyramidResult();
    const std::string argument = !image.empty() && image[0] == '-' ? "./" + image : image;
    result.commandLine = program + " " + argument + " -external";

    std::string path;
    if (const int error = locate(program, path))
        return fail(failure, Failure::system(error, QString::fromStdString(program)));
    Fd outRead, outWrite, errRead, errWrite;
    if (!makePipe(outRead, outWrite) || !makePipe(errRead, errWrite))
        return fail(failure, Failure::system(errno, QString::fromStdString(program)));
    const Clock::time_point start = Clock::now();
    pid_t pid = -1;
    if (const int error =
            spawn(path, {program, argument, "-external"}, outWrite.get(), errWrite.get(), pid))
        return fail(failure, Failure::system(error, QString::fromStdString(program)));
    result.started = true;
    outWrite.reset();
    errWrite.reset();
    ::fcntl(outRead.get(), F_SETFL, O_NONBLOCK);
    ::fcntl(errRead.get(), F_SETFL, O_NONBLOCK);

    // Reads both streams until the builder ends; it is not waited for beyond that, since
    // something it left running may hold them open.
    const Clock::time_point deadline = start + std::chrono::milliseconds(timeoutMs);
    bool outOpen = true, errOpen = true;
    int status = 0;
    // Readable when the builder ends; without it (before Linux 5.3) the loop looks every 50 ms.
    Fd ended;
#ifdef SYS_pidfd_open
    *ended.out() = int(::syscall(SYS_pidfd_open, pid, 0));
#endif
    while (true) {
        const pid_t waited = ::waitpid(pid, &status, WNOHANG);
        if (waited == pid || (waited < 0 && errno != EINTR))
            break;
        int wait = ended.get() >= 0 ? -1 : 50;
        if (timeoutMs >= 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())
                    .count();
            if (left <= 0) {
                result.timedOut = true;
                ::kill(-pid, SIGKILL);
                while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
                break;
            }
            wait = int(wait < 0 ? left : std::min<long long>(wait, left));
        }
        pollfd fds[3] = {{outOpen ? outRead.get() : -1, POLLIN, 0},
                         {errOpen ? errRead.get() : -1, POLLIN, 0},
                         {ended.get(), POLLIN, 0}};
        if (::poll(fds, 3, wait) > 0) {
            if (outOpen && fds[0].revents)
                outOpen = drain(outRead.get(), result.standardOutput, result.standardOutputCut);
            if (errOpen && fds[1].revents)
                errOpen = drain(errRead.get(), result.standardError, result.standardErrorCut);
        }
    }
    // What was written before the end is in the pipes now.
    if (outOpen)
        drain(outRead.get(), result.standardOutput, result.standardOutputCut);
    if (errOpen)
        drain(errRead.get(), result.standardError, result.standardErrorCut);
    trimTail(result.standardOutput, result.standardOutputCut);
    trimTail(result.standardError, result.standardErrorCut);
    result.elapsedSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!result.timedOut) {
        if (WIFEXITED(status)) {
            result.exitCode = WEXITSTATUS(status);
        } else if (WIFSIGNALED(status)) {
            result.crashed = true;
            result.signal = WTERMSIG(status);
        }
    }
    return result.succeeded();
}

bool createOrthoVistaPyramid(const std::string &program, const std::string &image,
                             std::vector<std::string> &messages)
{
    return createOrthoVistaPyramid(program, image, messages, -1);
}

bool createOrthoVistaPyramid(const std::string &program, const std::string &image,
                             std::vector<std::string> &messages, int timeoutMs)
{
    PyramidResult result;
    return createOrthoVistaPyramid(program, image, messages, timeoutMs, result);
}

bool createOrthoVistaPyramid(const std::string &program, const std::string &image,
                             std::vector<std::string> &messages, int timeoutMs,
                             PyramidResult &result, Failure *failure)
{
    const std::clock_t start = std::clock();
    messages.clear();
    const bool ok = buildPyramid(program, image, timeoutMs, result, failure);
    messages.push_back("command line: " + result.commandLine);
    if (ok) {
        const auto ticks = static_cast<long long>(std::clock() - start);
        const long long milliseconds = ticks / (CLOCKS_PER_SEC / 1000);
        messages.push_back("Processor elapsed seconds: " + std::to_string(milliseconds / 1000));
        return true;
    }
    // The lines name the problem as Qt's process object would: an ordinary non-zero exit is
    // no process error at all.
    const char *problem = !result.started ? "failed to start process"
        : result.timedOut                 ? "timed out"
        : result.crashed                  ? "make_pyr crashed"
                                          : "unknown problem";
    messages.push_back("make_pyr exited with error code "
                       + std::to_string(result.crashed ? 0 : result.exitCode));
    messages.push_back("make_pyr encountered problems:");
    messages.push_back(problem);
    messages.push_back("standard error:");
    messages.push_back(textUpToNul(result.standardError));
    messages.push_back("standard out:");
    messages.push_back(textUpToNul(result.standardOutput));
    return false;
}

} // namespace util
