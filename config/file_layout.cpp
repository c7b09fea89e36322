#include "file_layout.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace
{
const char EngineFile[] = "kelvane.so";

bool Exists(const fs::path &path)
{
    std::error_code error;
    return fs::exists(path, error);
}

std::string Normal(const fs::path &path)
{
    return path.lexically_normal().string();
}

// The executable's path with a final extension replaced by `ext`.
fs::path Sibling(const fs::path &executable, const char *ext)
{
    fs::path result = executable;
    const std::string name = executable.filename().string();
    if (name.find('.', 1) == std::string::npos) return result += ext;
    return result.replace_extension(ext);
}

// $XDG_CONFIG_HOME or $XDG_DATA_HOME when absolute, else `fallback` under the home folder.
std::string XdgFolder(const std::string &xdgHome, const std::string &home, const char *fallback)
{
    if (!xdgHome.empty() && xdgHome.front() == '/') return xdgHome;
    std::string base = home;
    if (base.empty())
        if (const passwd *user = getpwuid(getuid()); user != nullptr && user->pw_dir != nullptr)
            base = user->pw_dir;
    return Normal(fs::path(base) / fallback);
}
} // namespace

InstallFolders BuiltInstallFolders()
{
    return {KELVANE_ENGINE_FROM_BIN, KELVANE_HELP_FROM_BIN};
}

InstallFolders BuiltToolFolders()
{
    return {KELVANE_ENGINE_FROM_TOOLDIR, ""};
}

FileLayout LocateFiles(const std::string &executable, const InstallFolders &installed,
                       const std::string &configHome, const std::string &dataHome,
                       const std::string &home)
{
    const fs::path exe(executable);
    const fs::path folder = exe.parent_path();
    const fs::path beside = Sibling(exe, ".so");
    const fs::path engineFolder = folder / installed.EngineFromBin;
    const fs::path helpFolder = folder / installed.HelpFromBin;

    FileLayout layout;
    layout.Portable = Exists(beside) || !(Exists(engineFolder) || Exists(helpFolder));
    if (layout.Portable) {
        layout.EngineLibrary = beside.string();
        layout.HelpFolder = (folder / "Help").string();
        layout.SettingsFile = Sibling(exe, ".ini").string();
        layout.HistoryFile = (folder / "games.sqlite").string();
    } else {
        layout.EngineLibrary = Normal(engineFolder / EngineFile);
        layout.HelpFolder = Normal(helpFolder);
        layout.SettingsFile =
            Normal(fs::path(XdgFolder(configHome, home, ".config")) / "kelvane" / "kelvane.ini");
        layout.HistoryFile = Normal(fs::path(XdgFolder(dataHome, home, ".local/share")) /
                                    "kelvane" / "games.sqlite");
    }
    return layout;
}

std::string EngineNear(const std::string &folder, const InstallFolders &installed)
{
    const fs::path beside = fs::path(folder) / EngineFile;
    const fs::path engine = fs::path(folder) / installed.EngineFromBin / EngineFile;
    return Exists(beside) || !Exists(engine) ? beside.string() : Normal(engine);
}

std::string OwnExecutable()
{
    std::error_code error;
    const fs::path path = fs::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

bool MakeFolderFor(const std::string &file)
{
    const fs::path folder = fs::path(file).parent_path();
    if (folder.empty()) return true;
    fs::path partial;
    for (const fs::path &part : folder) {
        partial /= part;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    std::error_code error;
    if (fs::is_directory(folder, error)) return true;
    // Something other than a folder already holds the name.
    errno = error ? error.value() : ENOTDIR;
    return false;
}
