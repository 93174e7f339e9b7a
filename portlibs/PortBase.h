#pragma once

/* Where the printer port's registers lie. A port on a PCI or PCIe card sits
 * wherever the BIOS or the kernel put it, and some machines have theirs at
 * 0x278, so the base is the one the kernel reports for the chosen parallel
 * port, parportN, which /dev/parportN reaches; only where the kernel knows no
 * port at all is parport0 at the standard 0x378. The launcher and the
 * port-instruction library both take it from here, so that the registers the
 * one opens are those the other uses. Plain C. */

#include "PortName.h"
#include "PortRegisters.h"

#include <fcntl.h>
#include <stddef.h>
#include <stdio.h>
#include <unistd.h>

/* Written by the kernel alone; nobody else can change what it says. Tests
 * pass a folder of their own to the functions that take one. */
#define TARVIK_KERNEL_PORTS "/proc/sys/dev/parport"

enum {
    /* Room for the longest path below the kernel's folder. */
    TarvikKernelPathSize = 64,
};

enum {
    /* The highest base whose three registers still lie in the I/O space. */
    TarvikHighestPortBase = 0xFFFF - (TarvikRegisterCount - 1),
};

/* The first number of a base-addr file's text, which the kernel writes in
 * decimal, followed by the base of the port's extended registers:
 * "888\t1912\n". 0 for any other text, and for a base that port instructions
 * cannot use (a port behind USB shows 0). */
static inline unsigned tarvikParsePortBase(const char* text, size_t length) {
    unsigned base = 0;
    size_t digits = 0;
    for (; digits < length && text[digits] >= '0' && text[digits] <= '9'; ++digits) {
        base = base * 10 + (unsigned)(text[digits] - '0');
        if (base > TarvikHighestPortBase)
            return 0;
    }
    const int ended = digits == length || text[digits] == '\t' || text[digits] == '\n';
    return digits > 0 && ended ? base : 0;
}

/* The base a base-addr file gives, or 0 when there is no such file or it says
 * nothing usable. One bounded read that cannot block. */
static inline unsigned tarvikReadPortBase(const char* path) {
    char text[32];
    const int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return 0;
    const ssize_t length = read(fd, text, sizeof text);
    close(fd);
    return length > 0 ? tarvikParsePortBase(text, (size_t)length) : 0;
}

/* folder/parportN/file, or an empty path when it does not fit. */
static inline const char* tarvikKernelPortPath(char path[TarvikKernelPathSize], const char* folder,
                                               int number, const char* file) {
    const int length = snprintf(path, TarvikKernelPathSize, "%s/" TARVIK_PORT_NAME_PREFIX "%d%s",
                                folder, number, file);
    if (length < 0 || length >= TarvikKernelPathSize)
        path[0] = '\0';
    return path;
}

/* Whether the kernel has a parallel port parportN. */
static inline int tarvikKernelKnowsPort(const char* folder, int number) {
    char path[TarvikKernelPathSize];
    return number >= 0 && access(tarvikKernelPortPath(path, folder, number, ""), F_OK) == 0;
}

/* How many of the ports that can be chosen the kernel has. */
static inline int tarvikKernelPortCount(const char* folder) {
    int count = 0;
    for (int number = 0; number < TarvikPortNumbers; ++number)
        count += tarvikKernelKnowsPort(folder, number);
    return count;
}

/* The base of the chosen port, parportN, as the kernel reports it; 0x378 for
 * parport0 where the kernel knows no port at all; otherwise 0: the kernel has
 * no such port, or one that port instructions cannot reach. */
static inline unsigned tarvikChosenPortBase(const char* folder, int number) {
    char path[TarvikKernelPathSize];
    if (number < 0)
        return 0;
    const unsigned base =
        tarvikReadPortBase(tarvikKernelPortPath(path, folder, number, "/base-addr"));
    if (base != 0)
        return base;
    return number == 0 && tarvikKernelPortCount(folder) == 0 ? (unsigned)TarvikDataRegister : 0;
}
