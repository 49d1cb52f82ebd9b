#pragma once

#include <string>

namespace sorvik::platform {

// A portable copy keeps its data in SYSDAT beside the executable, as the
// program always did; an installed copy cannot write there, so its data goes
// to the user's home and its shipped files sit under the install's share/.
enum class Placement { Portable, Installed };

// What the rule looks at, as found on the host.
struct PlacementFacts {
    std::string exeDir;           // host directory of the executable
    bool dataDirBeside = false;   // a SYSDAT directory already beside it
    bool installLayout = false;   // it is "<prefix>/bin" and "<prefix>/share/sorvik" exists
    bool exeDirWritable = false;
    std::string xdgDataHome;   // the environment's value, empty when unset
    std::string home;          // $HOME, or the password entry's home without it
};

// Host directories, without a trailing separator.
struct ProgramPlace {
    Placement placement = Placement::Portable;
    std::string dataDir;      // empty when no home is known: nowhere to keep data
    std::string runtimeDir;   // where the help text is shipped
};

// The rule. A SYSDAT already beside the executable always wins, so a user can
// keep any copy portable. Otherwise a copy in an install layout is installed
// even when its directory happens to be writable (root, a prefix in the home),
// and any other copy is portable exactly when it can make SYSDAT beside itself.
// An installed copy's data lives in ${XDG_DATA_HOME:-$HOME/.local/share}/sorvik/SYSDAT;
// a relative XDG_DATA_HOME is invalid by the base directory rules and ignored.
ProgramPlace placeProgram(const PlacementFacts& facts);

}
