#pragma once

/* What the program and its port library know of tarvik-launcher, the one file
 * that carries CAP_SYS_RAWIO. Plain C. TARVIK_INSTALLED_LAUNCHER and
 * TARVIK_BUILD_LAUNCHER come from the build (target tarvik_launcher_paths). */

#include <unistd.h>

/* Set by the launcher for the program it starts. */
#define TARVIK_LAUNCHED_MARKER "TARVIK_LAUNCHED"

/* The launcher to name in advice: the installed one where there is one,
 * otherwise the build tree's. */
static inline const char* tarvikLauncherPath(void) {
    return access(TARVIK_INSTALLED_LAUNCHER, F_OK) == 0 ? TARVIK_INSTALLED_LAUNCHER
                                                        : TARVIK_BUILD_LAUNCHER;
}
