#pragma once

/* An option's value as the programs' own parser finds it, for whoever must
 * know it before that parser runs: the launcher, which opens the registers of
 * the port the arguments choose, and the programs' early looks at their
 * arguments. Both programs read their arguments with Qt's QCommandLineParser
 * taking a word after one dash as a long option, so that "--port parport1",
 * "--port=parport1", "-port parport1" and "-port=parport1" all choose
 * parport1; a reading that knew fewer spellings would open one port's
 * registers while the program goes on to use another's. Plain C. */

#include <stddef.h>
#include <string.h>

enum TarvikOptionFound {
    /* Not among the arguments. */
    TarvikOptionAbsent = 0,
    /* Given, and *value is what the program takes. */
    TarvikOptionGiven = 1,
    /* The last one has no value: the program ends with a usage error. */
    TarvikOptionWithoutValue = -1,
};

/* Whether argument is the option name that takes a value: "--name", "-name",
 * "--name=..." or "-name=..."; then *joined is the text after '=', or NULL
 * when the value is the next argument. */
static inline int tarvikIsOption(const char* argument, const char* name, const char** joined) {
    if (argument[0] != '-')
        return 0;
    const char* word = argument[1] == '-' ? argument + 2 : argument + 1;
    const size_t length = strlen(name);
    if (strncmp(word, name, length) != 0)
        return 0;
    if (word[length] == '\0')
        *joined = NULL;
    else if (word[length] == '=')
        *joined = word + length + 1;
    else
        return 0;
    return 1;
}

/* The value of the option name (without dashes) that takes one, among the
 * count arguments after the program's name: the last one counts, whatever
 * follows a separate spelling is its value even when it starts with a dash,
 * and nothing after a lone "--" is an option. */
static inline enum TarvikOptionFound tarvikOptionValue(int count, char* const arguments[],
                                                       const char* name, const char** value) {
    enum TarvikOptionFound found = TarvikOptionAbsent;
    for (int i = 0; i < count; ++i) {
        const char* joined = NULL;
        if (strcmp(arguments[i], "--") == 0)
            break;
        if (!tarvikIsOption(arguments[i], name, &joined))
            continue;
        if (!joined && i + 1 == count)
            return TarvikOptionWithoutValue;
        *value = joined ? joined : arguments[++i];
        found = TarvikOptionGiven;
    }
    return found;
}
