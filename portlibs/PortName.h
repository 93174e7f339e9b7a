#pragma once

/* The name of a parallel port as the user chooses it with --port: the
 * kernel's own name, parportN. Only a short decimal N is taken, so that a name
 * can never lead a path elsewhere or a number overflow, and the launcher can
 * find the choice among the arguments it passes on. Plain C, for the launcher
 * and the port libraries as well as the program. */

#include "CommandLineOption.h"

#include <stddef.h>
#include <string.h>

#define TARVIK_DEFAULT_PORT "parport0"
#define TARVIK_PORT_NAME_PREFIX "parport"
/* The option that chooses it, without its dashes. */
#define TARVIK_PORT_OPTION "port"

enum {
    /* parport0 ... parport99. */
    TarvikPortNumbers = 100,
};

/* N for a name parportN with N from 0 to 99 written without leading zeros;
 * -1 for anything else. */
static inline int tarvikParsePortName(const char* name) {
    const size_t prefix = sizeof TARVIK_PORT_NAME_PREFIX - 1;
    if (!name || strncmp(name, TARVIK_PORT_NAME_PREFIX, prefix) != 0)
        return -1;
    const char* digits = name + prefix;
    const size_t count = strlen(digits);
    if (count == 0 || count > 2 || (count == 2 && digits[0] == '0'))
        return -1;
    int number = 0;
    for (size_t i = 0; i < count; ++i) {
        if (digits[i] < '0' || digits[i] > '9')
            return -1;
        number = number * 10 + (digits[i] - '0');
    }
    return number;
}

/* The port that the arguments choose, as the programs' own parsers read them
 * (CommandLineOption.h). 0 (parport0) when they choose none; -1 when the name
 * is not a port's or the value is missing, so that nothing is opened for a
 * program that is bound to refuse its command line. */
static inline int tarvikPortArgument(int count, char* const arguments[]) {
    const char* name = NULL;
    switch (tarvikOptionValue(count, arguments, TARVIK_PORT_OPTION, &name)) {
    case TarvikOptionAbsent:
        return 0;
    case TarvikOptionGiven:
        return tarvikParsePortName(name);
    default:
        return -1;
    }
}
