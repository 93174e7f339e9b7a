#pragma once

/* The printer port's registers at its standard base address, as the program,
 * its port libraries and the launcher address them. Plain C, so that the
 * launcher can share it. */

enum TarvikPortRegister {
    TarvikDataRegister = 0x378,
    TarvikStatusRegister = 0x379,
    TarvikControlRegister = 0x37A,
};

enum {
    /* Data, status and control lie next to each other, data first. */
    TarvikRegisterCount = 3,
    /* Bit 5 of the control register turns the data lines into inputs. */
    TarvikDataLinesIn = 0x20,
};
