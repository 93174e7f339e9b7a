#pragma once

/* Where the printer port's registers lie. A port on a PCI or PCIe card sits
 * wherever the BIOS or the kernel put it, and some machines have theirs at
 * 0x278, so the base is that of the kernel's first parallel port, the one
 * /dev/parport0 reaches; only where the kernel knows no port is it the
 * standard 0x378. The launcher and the port-instruction library both take it
 * from here, so that the registers the one opens are those the other uses.
 * Plain C. */

#include "PortRegisters.h"

#include <fcntl.h>
#include <stddef.h>
#include <unistd.h>

/* Written by the kernel alone; nobody else can change what it says. */
#define TARVIK_KERNEL_PORT_BASE "/proc/sys/dev/parport/parport0/base-addr"

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

/* The base of the port both SCAN buttons reach. */
static inline unsigned tarvikPortBase(void) {
    const unsigned base = tarvikReadPortBase(TARVIK_KERNEL_PORT_BASE);
    return base != 0 ? base : (unsigned)TarvikDataRegister;
}
