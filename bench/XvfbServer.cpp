#include "XvfbServer.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tarvik {

XvfbServer::XvfbServer() {
    int ready[2];
    if (pipe(ready) != 0)
        return;
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent)
            _exit(1);
        close(ready[0]);
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        char fd[16];
        std::snprintf(fd, sizeof fd, "%d", ready[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd, "-screen", "0", "1024x768x24", "-nolisten", "tcp",
               static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ready[1]);
    // Xvfb writes its display number once it accepts clients; a server that
    // fails closes the pipe without a word.
    char number[16] = {};
    std::size_t got = 0;
    while (got + 1 < sizeof number) {
        const ssize_t n = read(ready[0], number + got, sizeof number - 1 - got);
        if (n <= 0 || number[got + n - 1] == '\n') {
            got += n > 0 ? std::size_t(n) : 0;
            break;
        }
        got += std::size_t(n);
    }
    close(ready[0]);
    const QByteArray digits = QByteArray(number, qsizetype(got)).trimmed();
    if (!digits.isEmpty())
        display_ = ':' + digits;
}

XvfbServer::~XvfbServer() {
    if (pid_ <= 0)
        return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

} // namespace tarvik
