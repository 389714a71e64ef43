#include "LineKeeper.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <thread>

namespace {

// The keeper's whole life, on async-signal-safe calls only, as another thread of ours may have held any
// lock when it forked: once our end of the socket is gone, the lines queued in it go to standard error.
[[noreturn]] void KeepUntilOrphaned(int socket)
{
    // Only the socket (as standard input) and standard error stay open: the keeper holds no pipe or
    // connection of ours open after we end.
    dup2(socket, STDIN_FILENO);
    close(STDOUT_FILENO);
    close_range(STDERR_FILENO + 1, ~0U, 0);
    // What ends us from the terminal or the session must not end the keeper before it has spoken.
    for (const int signal : {SIGINT, SIGQUIT, SIGHUP, SIGTERM, SIGPIPE})
        std::signal(signal, SIG_IGN);
    pollfd hangUp{STDIN_FILENO, 0, 0};
    while (poll(&hangUp, 1, -1) < 0 && errno == EINTR) {
    }
    char buffer[4096];
    ssize_t got;
    while ((got = read(STDIN_FILENO, buffer, sizeof buffer)) != 0) {
        if (got < 0 && errno != EINTR)
            break;
        for (ssize_t written = 0, now; written < got; written += now)
            if ((now = write(STDERR_FILENO, buffer + written, static_cast<size_t>(got - written))) < 0)
                _exit(0);
    }
    _exit(0);
}

}  // namespace

bool LineKeeper::Start()
{
    int sockets[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sockets) != 0)
        return false;
    const pid_t pid = fork();
    if (pid == 0) {
        close(sockets[0]);
        KeepUntilOrphaned(sockets[1]);
    }
    close(sockets[1]);
    if (pid < 0) {
        close(sockets[0]);
        return false;
    }
    FPid = pid;
    FSocket = sockets[0];
    return true;
}

void LineKeeper::Keep(std::string_view line)
{
    if (FPid == 0 && !Start())
        return;
    // Never waits, and never raises SIGPIPE, should the keeper have gone or filled up.
    while (!line.empty()) {
        const ssize_t sent = send(FSocket, line.data(), line.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR)
            continue;
        if (sent <= 0)
            return;
        line.remove_prefix(static_cast<size_t>(sent));
    }
}

void LineKeeper::LetGo()
{
    if (FPid == 0)
        return;
    // Killed before its socket closes, which it would take for our end; reaped aside, as its copy of our
    // memory takes milliseconds to go on a busy machine.
    kill(FPid, SIGKILL);
    std::thread([pid = FPid] {
        while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    close(FSocket);
    FPid = 0;
    FSocket = -1;
}
