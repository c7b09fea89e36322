#include "file_layout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <string>
#include <vector>

namespace
{

const InstallFolders Installed{"../lib/kelvane", "../share/kelvane/Help"};

class Layout : public ::testing::Test
{
  protected:
    QTemporaryDir Dir;

    std::string At(const QString &relative) const { return Dir.filePath(relative).toStdString(); }
    void Make(const QString &relative)
    {
        const QString path = Dir.filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    void MakeFolder(const QString &relative) { ASSERT_TRUE(QDir().mkpath(Dir.filePath(relative))); }
};

struct LayoutCase {
    const char *what;
    std::vector<const char *> files; // made before looking, relative to the temporary folder
    const char *executable;
    bool portable;
    const char *engine, *help, *settings, *history; // expected, relative ("~" is HOME)
};

TEST_F(Layout, TheFilesSitWhereTheLayoutAroundTheExecutableSaysNeverWhereTheCurrentFolderIs)
{
    const LayoutCase cases[] = {
        {"engine beside: portable, whatever is installed around it",
         {"usr/bin/kelvane", "usr/bin/kelvane.so", "usr/lib/kelvane/kelvane.so"},
         "usr/bin/kelvane",
         true,
         "usr/bin/kelvane.so",
         "usr/bin/Help",
         "usr/bin/kelvane.ini",
         "usr/bin/games.sqlite"},
        {"a final extension is replaced",
         {"p/kelvane.bin", "p/kelvane.so"},
         "p/kelvane.bin",
         true,
         "p/kelvane.so",
         "p/Help",
         "p/kelvane.ini",
         "p/games.sqlite"},
        {"a dot in a folder name is no extension",
         {"k.d/kelvane", "k.d/kelvane.so"},
         "k.d/kelvane",
         true,
         "k.d/kelvane.so",
         "k.d/Help",
         "k.d/kelvane.ini",
         "k.d/games.sqlite"},
        {"a lone executable stays portable, its missing engine named beside it",
         {"alone/kelvane"},
         "alone/kelvane",
         true,
         "alone/kelvane.so",
         "alone/Help",
         "alone/kelvane.ini",
         "alone/games.sqlite"},
        {"installed engine: the prefix's folders and the user's configuration",
         {"usr/bin/kelvane", "usr/lib/kelvane/kelvane.so"},
         "usr/bin/kelvane",
         false,
         "usr/lib/kelvane/kelvane.so",
         "usr/share/kelvane/Help",
         "~/.config/kelvane/kelvane.ini",
         "~/.local/share/kelvane/games.sqlite"},
        {"installed help alone (a broken engine install) still means installed",
         {"usr/bin/kelvane", "usr/share/kelvane/Help/index.htm"},
         "usr/bin/kelvane",
         false,
         "usr/lib/kelvane/kelvane.so",
         "usr/share/kelvane/Help",
         "~/.config/kelvane/kelvane.ini",
         "~/.local/share/kelvane/games.sqlite"},
    };
    for (const LayoutCase &c : cases) {
        QTemporaryDir fresh;
        Dir.swap(fresh);
        for (const char *file : c.files)
            Make(file);
        MakeFolder("home");
        const FileLayout layout = LocateFiles(At(c.executable), Installed, "", "", At("home"));
        auto expected = [&](std::string path) {
            return path.rfind("~/", 0) == 0 ? At("home/" + QString::fromStdString(path.substr(2)))
                                            : At(QString::fromStdString(path));
        };
        EXPECT_EQ(layout.Portable, c.portable) << c.what;
        EXPECT_EQ(layout.EngineLibrary, expected(c.engine)) << c.what;
        EXPECT_EQ(layout.HelpFolder, expected(c.help)) << c.what;
        EXPECT_EQ(layout.SettingsFile, expected(c.settings)) << c.what;
        EXPECT_EQ(layout.HistoryFile, expected(c.history)) << c.what;
    }
}

TEST_F(Layout, InstalledFilesFollowAnAbsoluteXdgHomeAndIgnoreARelativeOne)
{
    Make("usr/bin/kelvane");
    Make("usr/lib/kelvane/kelvane.so");
    const FileLayout absolute =
        LocateFiles(At("usr/bin/kelvane"), Installed, "/elsewhere/conf", "/data", "/home/u");
    EXPECT_EQ(absolute.SettingsFile, "/elsewhere/conf/kelvane/kelvane.ini");
    EXPECT_EQ(absolute.HistoryFile, "/data/kelvane/games.sqlite");
    const FileLayout relative =
        LocateFiles(At("usr/bin/kelvane"), Installed, "conf", "data", "/home/u");
    EXPECT_EQ(relative.SettingsFile, "/home/u/.config/kelvane/kelvane.ini");
    EXPECT_EQ(relative.HistoryFile, "/home/u/.local/share/kelvane/games.sqlite");
}

TEST_F(Layout, TheGamesFolderFindsTheSameTreeThroughItsOwnRelativePaths)
{
    Make("usr/games/kelvane");
    Make("usr/lib/kelvane/kelvane.so");
    const FileLayout layout =
        LocateFiles(At("usr/games/kelvane"), {"../lib/kelvane", "../share/games/kelvane/Help"}, "",
                    "", "/home/u");
    EXPECT_FALSE(layout.Portable);
    EXPECT_EQ(layout.EngineLibrary, At("usr/lib/kelvane/kelvane.so"));
    EXPECT_EQ(layout.HelpFolder, At("usr/share/games/kelvane/Help"));
}

TEST_F(Layout, TheSolverPrefersTheEngineBesideItThenTheInstalledOneThenNamesTheOneBeside)
{
    Make("usr/bin/kelvane-solve");
    EXPECT_EQ(EngineNear(At("usr/bin"), Installed), At("usr/bin/kelvane.so"));
    Make("usr/lib/kelvane/kelvane.so");
    EXPECT_EQ(EngineNear(At("usr/bin"), Installed), At("usr/lib/kelvane/kelvane.so"));
    Make("usr/bin/kelvane.so");
    EXPECT_EQ(EngineNear(At("usr/bin"), Installed), At("usr/bin/kelvane.so"));
}

TEST_F(Layout, TheSettingsFolderIsMadePrivateOnFirstSaveAndAFileInTheWayIsAFailure)
{
    const std::string file = At("home/.config/kelvane/kelvane.ini");
    ASSERT_TRUE(MakeFolderFor(file));
    struct stat info {
    };
    ASSERT_EQ(stat(At("home/.config/kelvane").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(file))) << "only the folder is made";
    EXPECT_TRUE(MakeFolderFor(file)) << "an existing folder is no failure";

    Make("plain");
    EXPECT_FALSE(MakeFolderFor(At("plain/kelvane/kelvane.ini")));
    EXPECT_EQ(errno, ENOTDIR);
    errno = 0;
    EXPECT_FALSE(MakeFolderFor(At("plain/kelvane.ini"))) << "the folder's name is a file's";
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_TRUE(QFileInfo(Dir.filePath("plain")).isFile());
}

TEST(OwnFiles, TheRunningExecutableIsKnownByItsFullPath)
{
    const std::string self = OwnExecutable();
    ASSERT_FALSE(self.empty());
    EXPECT_EQ(self.front(), '/');
    EXPECT_TRUE(QFileInfo(QString::fromStdString(self)).isExecutable());
}

} // namespace
