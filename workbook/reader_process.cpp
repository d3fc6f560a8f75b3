#include "workbook/reader_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

extern char** environ;

namespace agrimor {

namespace {

// Kills and reaps the child unless it was reaped already: no path out of runReaderProcess leaves
// a process running or a zombie behind.
class Child {
public:
    explicit Child(pid_t pid) : pid_(pid) {}
    ~Child() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            reap(0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // waitpid with `flags`; true when the child has ended, its status in `status`.
    bool reap(int flags, int* status = nullptr) {
        int ignored = 0;
        for (;;) {
            const pid_t ended = waitpid(pid_, status ? status : &ignored, flags);
            if (ended == pid_ || (ended < 0 && errno != EINTR)) {
                pid_ = -1;
                return true;
            }
            if (ended == 0)
                return false;
        }
    }
    void kill9() {
        if (pid_ > 0)
            kill(pid_, SIGKILL);
    }

private:
    pid_t pid_;
};

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// The process started from `program` with stdout on `output`, stdin and stderr on /dev/null,
// default signal handling and no signal blocked.
pid_t spawn(const QString& program, const QStringList& arguments, int output) {
    const QByteArray path = QFile::encodeName(program);
    std::vector<QByteArray> texts{path};
    for (const QString& argument : arguments)
        texts.push_back(QFile::encodeName(argument));
    std::vector<char*> argv;
    for (QByteArray& text : texts)
        argv.push_back(text.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int error =
        posix_spawn(&pid, path.constData(), &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) {
        throw ProcessStartError{
            QStringLiteral("O leitor de livros .xls não pôde ser iniciado (%1): %2")
                .arg(program, systemError(error))};
    }
    return pid;
}

}  // namespace

ProcessEnd runReaderProcess(const QString& program, const QStringList& arguments,
                            std::chrono::milliseconds timeLimit,
                            const std::function<void(const char*, std::size_t)>& output) {
    int channel[2];
    if (pipe2(channel, O_CLOEXEC) != 0)
        throw ProcessStartError{QStringLiteral("O leitor de livros .xls não pôde ser iniciado: %1")
                                    .arg(systemError(errno))};
    Fd reading(channel[0]);
    Fd writing(channel[1]);
    // A larger pipe means fewer switches between the two processes; the default still works.
    fcntl(channel[1], F_SETPIPE_SZ, 1 << 20);
    Child child(spawn(program, arguments, writing.get()));
    writing.reset();

    const qint64 limit = timeLimit.count();
    qint64 waited = 0;
    std::vector<char> chunk(std::size_t{1} << 16);
    for (;;) {
        if (waited >= limit) {
            child.kill9();
            child.reap(0);
            return {ProcessEnd::Kind::TimedOut, 0};
        }
        pollfd ready{reading.get(), POLLIN, 0};
        QElapsedTimer clock;
        clock.start();
        const int polled =
            poll(&ready, 1, static_cast<int>(std::min<qint64>(limit - waited, INT_MAX)));
        waited += clock.elapsed();
        if (polled < 0 && errno != EINTR)
            break;
        if (polled <= 0)
            continue;
        const ssize_t got = read(reading.get(), chunk.data(), chunk.size());
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0)
            break;  // the child closed its output: it has ended, or is about to
        output(chunk.data(), static_cast<std::size_t>(got));
    }
    reading.reset();

    // A child that closed its output and went on is given what remains of the time limit.
    int status = 0;
    QElapsedTimer clock;
    clock.start();
    while (!child.reap(WNOHANG, &status)) {
        if (waited + clock.elapsed() >= limit) {
            child.kill9();
            child.reap(0);
            return {ProcessEnd::Kind::TimedOut, 0};
        }
        usleep(1000);
    }
    if (WIFSIGNALED(status))
        return {ProcessEnd::Kind::Signalled, WTERMSIG(status)};
    return {ProcessEnd::Kind::Exited, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

}  // namespace agrimor
