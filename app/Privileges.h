#pragma once

// The program itself never holds a capability: Qt loads plugins from folders
// that environment variables name, so a capability on the program would be
// lent to any user's code. Port permission for the upper "SCAN" button comes
// from tarvik-launcher instead. Both steps run first thing in main, before Qt
// loads anything.

namespace tarvik {

// Gives up every capability the process holds beyond its user's own (someone
// put one on the program file anyway, or a wrapper passed one on), with one
// warning on the standard error stream that names the launcher. Root's own
// capabilities stay.
void DropCapabilities();

// The installed program, started plainly (from the desktop menu, say), starts
// again through the installed launcher when this user may run it, so that the
// upper "SCAN" button reaches the port. Returns when that does not apply,
// also when LD_LIBRARY_PATH names where the port libraries are to come from.
void RestartThroughLauncher(char* argv[]);

} // namespace tarvik
