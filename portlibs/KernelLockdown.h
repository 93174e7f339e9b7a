#pragma once

/* Whether the kernel runs locked down (as it does under Secure Boot), which
 * forbids port instructions to every process, root and the launcher included.
 * Plain C, for the launcher and the port library that explain it. */

#include <stdio.h>
#include <string.h>

static inline int tarvikKernelLockedDown(void) {
    char modes[128] = "";
    FILE* file = fopen("/sys/kernel/security/lockdown", "re");
    if (!file)
        return 0;
    const int gotLine = fgets(modes, sizeof modes, file) != NULL;
    fclose(file);
    /* The active mode is the one in brackets: "[none] integrity confidentiality". */
    return gotLine && (strstr(modes, "[integrity]") || strstr(modes, "[confidentiality]"));
}
