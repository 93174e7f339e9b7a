#pragma once

/* What the programs and their port library know of tarvik-launcher, the one
 * file that carries CAP_SYS_RAWIO. Plain C. TARVIK_INSTALLED_LAUNCHER,
 * TARVIK_BUILD_LAUNCHER, TARVIK_INSTALLED_PROGRAM and TARVIK_INSTALLED_CLI come
 * from the build (target tarvik_launcher_paths). */

#include <unistd.h>

/* Set by the launcher for the program it starts. */
#define TARVIK_LAUNCHED_MARKER "TARVIK_LAUNCHED"

/* As the launcher's first argument: start tarvik-cli rather than the window,
 * with the arguments that follow. */
#define TARVIK_LAUNCH_CLI "--cli"

/* The launcher to name in advice: the installed one where there is one,
 * otherwise the build tree's. */
static inline const char* tarvikLauncherPath(void) {
    return access(TARVIK_INSTALLED_LAUNCHER, F_OK) == 0 ? TARVIK_INSTALLED_LAUNCHER
                                                        : TARVIK_BUILD_LAUNCHER;
}
