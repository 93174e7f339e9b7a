#include "Privileges.h"

#include "Launcher.h"

#include <linux/capability.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace tarvik {
namespace {

using CapabilitySets = std::array<__user_cap_data_struct, _LINUX_CAPABILITY_U32S_3>;

// The program's own file, as the kernel started it.
std::string programFile() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    return length > 0 ? std::string(path, static_cast<std::size_t>(length)) : std::string();
}

} // namespace

void DropCapabilities() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    CapabilitySets held{};
    if (getuid() == 0 || syscall(SYS_capget, &header, held.data()) != 0 ||
        (held[0].permitted | held[1].permitted) == 0)
        return;
    // The effective and ambient sets lie within the permitted one. The
    // bounding set stays: the launcher needs CAP_SYS_RAWIO in it when the
    // program restarts through it, and empties it itself. For the same reason
    // the program does not forbid itself new privileges.
    prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0);
    const CapabilitySets none{};
    const bool dropped = syscall(SYS_capset, &header, none.data()) == 0;
    std::fprintf(stderr,
                 "tarvik: started with capabilities (permitted: %08x%08x), which it %s. The "
                 "program must never carry one: the port permission comes from %s. An "
                 "administrator removes them with: sudo setcap -r %s\n",
                 held[1].permitted, held[0].permitted, dropped ? "has given up" : "cannot give up",
                 tarvikLauncherPath(), programFile().c_str());
    if (!dropped)
        std::exit(EXIT_FAILURE);
}

void RestartThroughLauncher(char* argv[], LaunchedProgram program) {
    const bool cli = program == LaunchedProgram::Cli;
    // A user who names the port libraries' folder (the simulated port, say)
    // keeps that choice: the loader would drop LD_LIBRARY_PATH on the way
    // through the launcher, which carries a capability.
    if (std::getenv(TARVIK_LAUNCHED_MARKER) || std::getenv("LD_LIBRARY_PATH") || getuid() == 0 ||
        programFile() != (cli ? TARVIK_INSTALLED_CLI : TARVIK_INSTALLED_PROGRAM) ||
        access(TARVIK_INSTALLED_LAUNCHER, X_OK) != 0)
        return;
    // The launcher would start tarvik-cli for the window's first argument
    // --cli, which the window refuses by itself.
    if (!argv[0] || (!cli && argv[1] && std::strcmp(argv[1], TARVIK_LAUNCH_CLI) == 0))
        return;
    std::vector<char*> arguments{argv[0]};
    if (cli)
        arguments.push_back(const_cast<char*>(TARVIK_LAUNCH_CLI));
    for (char** argument = argv + 1; *argument; ++argument)
        arguments.push_back(*argument);
    arguments.push_back(nullptr);
    // Also set by the launcher; here too, so that no launcher can start a loop.
    setenv(TARVIK_LAUNCHED_MARKER, "1", 1);
    execv(TARVIK_INSTALLED_LAUNCHER, arguments.data());
}

} // namespace tarvik
