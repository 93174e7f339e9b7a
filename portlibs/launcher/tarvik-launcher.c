/* tarvik-launcher: starts Tarvik with the printer port's three registers open
 * to it and no capability at all.
 *   tarvik-launcher ARGUMENTS...        starts the window, tarvik ARGUMENTS...
 *   tarvik-launcher --cli ARGUMENTS...  starts tarvik-cli ARGUMENTS...
 *
 * This is the only file that ever carries CAP_SYS_RAWIO (setcap
 * cap_sys_rawio+ep), so it does as little as it can. It asks the kernel for
 * I/O permission on the three registers of the port that the arguments choose
 * with --port parportN, in any spelling the program takes (parport0 without
 * one), at the base the kernel itself reports for that port (0x378 for
 * parport0 where it knows none); a missing value, a name that is not parportN
 * with a short decimal N, or a port the kernel does not have, gets no
 * permission at all, and the program then says why. It gives up every
 * capability, forbids new privileges and executes one of the two programs
 * whose paths were fixed when it was built, never one named by its arguments
 * or the environment. The I/O permission survives execve(); the capability
 * does not, so the program, Qt and any plugin the environment names run
 * without it. */

#define _GNU_SOURCE

#include "KernelLockdown.h"
#include "Launcher.h"
#include "PortBase.h"
#include "PortName.h"
#include "PortRegisters.h"

#include <errno.h>
#include <linux/capability.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>

/* Without the permission the program still starts: the lower SCAN button
 * (tarvik-cli: --via inpout32) goes through the kernel's driver and needs
 * none. */
static void openPortRegisters(int number, int cli) {
    const unsigned base = tarvikChosenPortBase(TARVIK_KERNEL_PORTS, number);
    if (base == 0 || ioperm(base, TarvikRegisterCount, 1) == 0)
        return;
    const int error = errno;
    if (error == EPERM && tarvikKernelLockedDown())
        fprintf(stderr,
                "tarvik-launcher: the kernel is locked down (Secure Boot), which forbids port "
                "instructions; only %s will work.\n",
                cli ? "--via inpout32" : "the lower SCAN button");
    else if (error == EPERM)
        fprintf(stderr,
                "tarvik-launcher: no port permission, as this launcher lacks CAP_SYS_RAWIO; an "
                "administrator gives it with: sudo setcap cap_sys_rawio+ep %s\n",
                TARVIK_LAUNCHER);
    else
        fprintf(stderr, "tarvik-launcher: this system offers no port instructions (ioperm: %s)\n",
                strerror(error));
}
#else
static void openPortRegisters(int number, int cli) {
    (void)number;
    (void)cli;
}
#endif

/* Effective, permitted, inheritable and ambient sets are emptied, and no
 * execve() can fill them again. The bounding set goes as far as it can:
 * dropping from it needs CAP_SETPCAP, which only root brings along. */
static int dropCapabilities(void) {
    for (int cap = 0; prctl(PR_CAPBSET_READ, cap, 0, 0, 0) >= 0; ++cap)
        prctl(PR_CAPBSET_DROP, cap, 0, 0, 0);
    struct __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    struct __user_cap_data_struct none[_LINUX_CAPABILITY_U32S_3];
    memset(none, 0, sizeof none);
    return prctl(PR_CAP_AMBIENT, PR_CAP_AMBIENT_CLEAR_ALL, 0, 0, 0) == 0 &&
           syscall(SYS_capset, &header, none) == 0 && prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0;
}

int main(int argc, char* argv[]) {
    const int cli = argc > 1 && strcmp(argv[1], TARVIK_LAUNCH_CLI) == 0;
    const int passedOn = cli ? 2 : 1;
    openPortRegisters(tarvikPortArgument(argc - passedOn, argv + passedOn), cli);
    if (!dropCapabilities()) {
        perror("tarvik-launcher: cannot give up its capabilities");
        return 1;
    }
    /* The installed program restarts itself through this launcher unless it
     * was started by it. */
    if (setenv(TARVIK_LAUNCHED_MARKER, "1", 1) != 0) {
        perror("tarvik-launcher");
        return 1;
    }
    char window[] = TARVIK_PROGRAM;
    char cliProgram[] = TARVIK_CLI_PROGRAM;
    char* withoutArguments[] = {window, NULL};
    char* program = window;
    char** arguments = argc > 0 ? argv : withoutArguments;
    if (cli) {
        /* The option's place takes the program's path: tarvik-cli ARGUMENTS... */
        program = cliProgram;
        argv[1] = cliProgram;
        arguments = argv + 1;
    }
    execv(program, arguments);
    fprintf(stderr, "tarvik-launcher: cannot start %s: %s\n", program, strerror(errno));
    return 127;
}
