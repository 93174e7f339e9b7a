#pragma once

/* What the port libraries say about the parallel ports the kernel has, when
 * the chosen one cannot be reached. Plain C; writes into the caller's buffer. */

#include "PortBase.h"

#include <stdio.h>

/* "parport0 at 0x378, parport1 at 0x278", a port without registers of its own
 * (behind USB, say) by its name alone, or "none"; cut short to fit. */
static inline const char* tarvikDescribeKernelPorts(const char* folder, char* text, size_t size) {
    size_t used = 0;
    text[0] = '\0';
    for (int number = 0; number < TarvikPortNumbers && used < size; ++number) {
        if (!tarvikKernelKnowsPort(folder, number))
            continue;
        char path[TarvikKernelPathSize];
        const unsigned base =
            tarvikReadPortBase(tarvikKernelPortPath(path, folder, number, "/base-addr"));
        const int length = snprintf(text + used, size - used, "%s" TARVIK_PORT_NAME_PREFIX "%d",
                                    used > 0 ? ", " : "", number);
        used += length > 0 ? (size_t)length : 0;
        if (base != 0 && used < size) {
            const int at = snprintf(text + used, size - used, " at 0x%X", base);
            used += at > 0 ? (size_t)at : 0;
        }
    }
    if (text[0] == '\0')
        snprintf(text, size, "none");
    return text;
}

/* The sentence for a chosen port that the kernel does not have, naming those
 * it has. */
static inline const char* tarvikUnknownPort(const char* folder, int number, char* text,
                                            size_t size) {
    char ports[256];
    snprintf(text, size,
             "the kernel has no parallel port " TARVIK_PORT_NAME_PREFIX
             "%d (ports the kernel has found: %s). Start the program with --port naming one of "
             "those; if the machine has a port that the kernel has not found, load its driver "
             "(sudo modprobe parport_pc) and start the program again.",
             number, tarvikDescribeKernelPorts(folder, ports, sizeof ports));
    return text;
}

/* For a name that TarvikPortSelect does not take. */
#define TARVIK_NOT_A_PORT_NAME                                                                     \
    "it is not the name of a parallel port; the kernel names them parport0, parport1 and so on."
