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

// The two programs that tarvik-launcher starts.
enum class LaunchedProgram { Window, Cli };

// The installed program, started plainly (from the desktop menu, say), starts
// again through the installed launcher with the same arguments when this user
// may run it, so that the upper "SCAN" button (tarvik-cli: --via win95io)
// reaches the port; the launcher reads the chosen port from the arguments.
// Returns when that does not apply: the running file is not the installed
// program, or LD_LIBRARY_PATH names where the port libraries are to come from.
void RestartThroughLauncher(char* argv[], LaunchedProgram program);

} // namespace tarvik
