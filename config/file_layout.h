// Where the program's files are. Run from its own folder (the build tree, an unpacked
// portable folder) everything sits beside the executable; installed under a prefix, the
// engine and the help sit in the prefix's library and data folders and each user's settings
// in their configuration folder. No Qt here: the command-line front end uses it too.
#pragma once

#include <string>

// The installed folders as seen from the folder holding the executables, e.g.
// "../lib/kelvane" and "../share/kelvane/Help".
struct InstallFolders {
    std::string EngineFromBin;
    std::string HelpFromBin;
};

// The folders this build installs to, as seen from the game's folder.
InstallFolders BuiltInstallFolders();
// The same from the command-line tools' folder, which may be another one (bin beside games);
// the tools need no help folder.
InstallFolders BuiltToolFolders();

struct FileLayout {
    bool Portable = true;
    std::string EngineLibrary; // the engine library, kelvane.so
    std::string HelpFolder;    // the folder holding index.htm
    std::string SettingsFile;  // kelvane.ini
    std::string HistoryFile;   // games.sqlite
};

// The layout decides, never whether a folder is writable: an engine beside the executable
// means portable; otherwise the installed tree (its engine or help folder) around it means
// installed; a lone executable stays portable. `configHome` is $XDG_CONFIG_HOME and
// `dataHome` $XDG_DATA_HOME (each ignored unless absolute), `home` is $HOME.
FileLayout LocateFiles(const std::string &executable, const InstallFolders &installed,
                       const std::string &configHome, const std::string &dataHome,
                       const std::string &home);

// The engine for a tool beside the game: kelvane.so in `folder`, else the installed one.
std::string EngineNear(const std::string &folder, const InstallFolders &installed);

// The running executable's full path, through /proc/self/exe; "" when unknown.
std::string OwnExecutable();

// Creates the missing folders above `file` (mode 0700, as for a configuration folder).
// True when the folder exists afterwards; otherwise errno holds the reason.
bool MakeFolderFor(const std::string &file);
