#include "save_calls.h"
#include "settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <map>
#include <memory>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace
{

const QByteArray DefaultFile = "[Window]\r\nTop=16\r\nLeft=16\r\n\r\n"
                               "[Field]\r\nLevel=1\r\nSizeX=16\r\nSizeY=16\r\nMines=40\r\n\r\n"
                               "[Game]\r\nFairPlay=1\r\nTrainerMode=0\r\nTimedGame=1\r\n"
                               "ProbDisplay=1\r\nMaxScale=3\r\n\r\n"
                               "[Engine]\r\nAdvancedMode=1\r\nDupCheck=1\r\nCheckingMode=1\r\n"
                               "StepDepth=25\r\n\r\n"
                               "[BestScores]\r\nBeginnerTime=999.9\r\nIntermediateTime=999.9\r\n"
                               "ExpertTime=999.9\r\nUltraTime=999.9\r\nBeginnerName=Anonymous\r\n"
                               "IntermediateName=Anonymous\r\nExpertName=Anonymous\r\n"
                               "UltraName=Anonymous\r\n\r\n";

// A record and window settings filled with values no load would produce, so that a test
// sees every setting that a load leaves alone.
struct Settings {
    Settings()
    {
        std::memset(static_cast<void *>(Game.get()), 0x5A, sizeof(TGameState));
        Window.Left = Window.Top = Window.MaxScale = 12345;
        Window.NoGuess = true;
        for (int i = 0; i < 4; ++i) {
            Window.Best.BestTime[i] = -1;
            Window.Best.BestName[i] = "garbage";
        }
    }
    std::unique_ptr<TGameState> Game = std::make_unique<TGameState>();
    MainWindowSettings Window;
};

int32_t ValueOf(const Settings &s, const char *name)
{
    const TGameState &g = *s.Game;
    const std::pair<const char *, int32_t> values[] = {
        {"Left", s.Window.Left},
        {"Top", s.Window.Top},
        {"Level", g.Level},
        {"SizeX", g.SizeX},
        {"SizeY", g.SizeY},
        {"Mines", g.Mines},
        {"MaxX", g.MaxX},
        {"MaxY", g.MaxY},
        {"FairPlay", g.FairPlay},
        {"TrainerMode", g.TrainerMode},
        {"TimedGame", g.TimedGame},
        {"ProbDisplay", g.ProbDisplay},
        {"MaxScale", s.Window.MaxScale},
        {"AdvancedMode", g.AdvancedMode},
        {"DupCheck", g.DupCheck},
        {"CheckingMode", g.CheckingMode},
        {"StepDepth", g.StepDepth},
        {"NoGuess", s.Window.NoGuess ? 1 : 0},
    };
    for (const auto &[key, value] : values) {
        if (std::strcmp(key, name) == 0) return value;
    }
    ADD_FAILURE() << "no setting " << name;
    return 0;
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<unreadable>";
    return file.readAll();
}

bool WriteAll(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size();
}

class SettingsFile : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(Dir.isValid()); }

    // Loads `contents` from kelvane.ini under the given locale.
    Settings Load(const QByteArray &contents, const QLocale &locale = QLocale::c())
    {
        EXPECT_TRUE(WriteAll(Path, contents));
        Settings s;
        EXPECT_EQ(LoadSettings(Path, *s.Game, s.Window, locale), "");
        return s;
    }
    QStringList Entries() const
    {
        return QDir(Dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }

    QTemporaryDir Dir;
    QString Path = Dir.filePath("kelvane.ini");
};

} // namespace

// ---- defaults and the round trip ----

TEST_F(SettingsFile, WithoutAFileEverySettingTakesItsDefaultSilently)
{
    Settings s;
    EXPECT_EQ(LoadSettings(Path, *s.Game, s.Window, QLocale::c()), "");
    const std::pair<const char *, int32_t> expected[] = {
        {"Left", 16},      {"Top", 16},         {"Level", 1},     {"SizeX", 16},
        {"SizeY", 16},     {"Mines", 40},       {"MaxX", 15},     {"MaxY", 15},
        {"FairPlay", 1},   {"TrainerMode", 0},  {"TimedGame", 1}, {"ProbDisplay", 1},
        {"MaxScale", 3},   {"AdvancedMode", 1}, {"DupCheck", 1},  {"CheckingMode", 1},
        {"StepDepth", 25}, {"NoGuess", 0},
    };
    for (const auto &[name, value] : expected)
        EXPECT_EQ(ValueOf(s, name), value) << name;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(s.Window.Best.BestTime[i], EmptyRecordTime);
        EXPECT_EQ(s.Window.Best.BestName[i], "Anonymous");
    }
    EXPECT_FALSE(QFile::exists(Path)); // loading writes nothing
}

TEST_F(SettingsFile, DefaultsSavedToAFreshFileGiveAllTwentyThreeKeysInOrderAndLoadBackTheSame)
{
    Settings first;
    ASSERT_EQ(LoadSettings(Path, *first.Game, first.Window, QLocale::c()), "");
    ASSERT_EQ(SaveSettings(Path, *first.Game, first.Window, QLocale::c()), "");
    const QByteArray written = ReadAll(Path);
    EXPECT_EQ(written, DefaultFile);
    EXPECT_EQ(written.count('='), 23);

    Settings second;
    ASSERT_EQ(LoadSettings(Path, *second.Game, second.Window, QLocale::c()), "");
    for (const char *name : {"Left", "Top", "Level", "SizeX", "SizeY", "Mines", "MaxX", "MaxY",
                             "FairPlay", "TrainerMode", "TimedGame", "ProbDisplay", "MaxScale",
                             "AdvancedMode", "DupCheck", "CheckingMode", "StepDepth"})
        EXPECT_EQ(ValueOf(second, name), ValueOf(first, name)) << name;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(second.Window.Best.BestTime[i], first.Window.Best.BestTime[i]);
        EXPECT_EQ(second.Window.Best.BestName[i], first.Window.Best.BestName[i]);
    }
}

TEST_F(SettingsFile, EverySettingChangedInMemorySurvivesASaveAndALoad)
{
    Settings s;
    ASSERT_EQ(LoadSettings(Path, *s.Game, s.Window, QLocale::c()), "");
    TGameState &g = *s.Game;
    g.Level = 4;
    g.SizeX = 30;
    g.SizeY = 9;
    g.Mines = 200;
    g.FairPlay = 0;
    g.TrainerMode = 1;
    g.TimedGame = 0;
    g.ProbDisplay = 0;
    g.AdvancedMode = 0;
    g.DupCheck = 0;
    g.CheckingMode = 2;
    g.StepDepth = 30;
    s.Window.Left = -200;
    s.Window.Top = 900;
    s.Window.MaxScale = 1;
    s.Window.Best.Record(2, "Zoe", 61.25f);
    s.Window.NoGuess = true;
    ASSERT_EQ(SaveSettings(Path, g, s.Window, QLocale::c()), "");

    Settings back;
    ASSERT_EQ(LoadSettings(Path, *back.Game, back.Window, QLocale::c()), "");
    const std::pair<const char *, int32_t> expected[] = {
        {"Level", 4},        {"SizeX", 30},      {"SizeY", 9},        {"Mines", 200},
        {"MaxX", 29},        {"MaxY", 8},        {"FairPlay", 0},     {"TrainerMode", 1},
        {"TimedGame", 0},    {"ProbDisplay", 0}, {"AdvancedMode", 0}, {"DupCheck", 0},
        {"CheckingMode", 2}, {"StepDepth", 30},  {"Left", -200},      {"Top", 900},
        {"MaxScale", 1},     {"NoGuess", 1},
    };
    for (const auto &[name, value] : expected)
        EXPECT_EQ(ValueOf(back, name), value) << name;
    // The time comes back as its one-decimal text: 61.25 was written as 61.3.
    EXPECT_EQ(back.Window.Best.BestTime[2], 61.3f);
    EXPECT_EQ(back.Window.Best.BestName[2], "Zoe");
}

// ---- corrections on load ----

struct LoadCase {
    const char *Title;
    const char *File;
    std::initializer_list<std::pair<const char *, int32_t>> Expected;
};

TEST_F(SettingsFile, ValuesOutOfRangeOrNotParsedAreCorrectedOnLoad)
{
    const LoadCase cases[] = {
        {"Level 7 is the custom field, whose keys are read",
         "[Field]\nLevel=7\nSizeX=20\nSizeY=10\nMines=30\n",
         {{"Level", 4}, {"SizeX", 20}, {"SizeY", 10}, {"Mines", 30}, {"MaxX", 19}, {"MaxY", 9}}},
        {"Level -2 is Beginner",
         "[Field]\nLevel=-2\nSizeX=20\n",
         {{"Level", 0}, {"SizeX", 10}, {"SizeY", 10}, {"Mines", 10}, {"MaxX", 9}, {"MaxY", 9}}},
        {"a fixed level ignores the file's size",
         "[Field]\nLevel=2\nSizeX=50\nSizeY=9\nMines=3\n",
         {{"Level", 2}, {"SizeX", 24}, {"SizeY", 20}, {"Mines", 100}, {"MaxX", 23}}},
        {"a custom size is clamped and its mines limited",
         "[Field]\nLevel=4\nSizeX=5\nSizeY=40\nMines=999\n",
         {{"SizeX", 8}, {"SizeY", 25}, {"Mines", 168}, {"MaxX", 7}, {"MaxY", 24}}},
        {"the largest field keeps 744 mines",
         "[Field]\nLevel=4\nSizeX=32\nSizeY=25\nMines=744\n",
         {{"Mines", 744}}},
        {"745 mines become 744",
         "[Field]\nLevel=4\nSizeX=32\nSizeY=25\nMines=745\n",
         {{"Mines", 744}}},
        {"a negative mine count becomes 0",
         "[Field]\nLevel=4\nSizeX=9\nSizeY=9\nMines=-5\n",
         {{"Mines", 0}}},
        {"no mines stays no mines", "[Field]\nLevel=4\nMines=0\n", {{"Mines", 0}}},
        {"a custom field without its keys is 16 x 16 with 40",
         "[Field]\nLevel=4\n",
         {{"Level", 4}, {"SizeX", 16}, {"SizeY", 16}, {"Mines", 40}}},
        {"words are no booleans, any other integer is on",
         "[Game]\nTrainerMode=True\nFairPlay=False\nTimedGame=0\nProbDisplay=2\n",
         {{"TrainerMode", 0}, {"FairPlay", 1}, {"TimedGame", 0}, {"ProbDisplay", 1}}},
        {"MaxScale in hexadecimal", "[Game]\nMaxScale=0x2\n", {{"MaxScale", 2}}},
        {"MaxScale below the range", "[Game]\nMaxScale=-1\n", {{"MaxScale", 0}}},
        {"MaxScale above the range", "[Game]\nMaxScale=9\n", {{"MaxScale", 3}}},
        {"engine booleans",
         "[Engine]\nAdvancedMode=0\nDupCheck=$0\n",
         {{"AdvancedMode", 0}, {"DupCheck", 0}}},
        {"CheckingMode 3 is Optimal", "[Engine]\nCheckingMode=3\n", {{"CheckingMode", 1}}},
        {"CheckingMode -1 is Optimal", "[Engine]\nCheckingMode=-1\n", {{"CheckingMode", 1}}},
        {"CheckingMode 0 stays", "[Engine]\nCheckingMode=0\n", {{"CheckingMode", 0}}},
        {"CheckingMode 2 stays", "[Engine]\nCheckingMode=2\n", {{"CheckingMode", 2}}},
        {"StepDepth 5 becomes 20", "[Engine]\nStepDepth=5\n", {{"StepDepth", 20}}},
        {"StepDepth 99 becomes 30", "[Engine]\nStepDepth=99\n", {{"StepDepth", 30}}},
        {"StepDepth 27 stays", "[Engine]\nStepDepth=27\n", {{"StepDepth", 27}}},
        {"the window may lie anywhere",
         "[Window]\nLeft=-300\nTop=$20\n",
         {{"Left", -300}, {"Top", 32}}},
        {"a position beyond 32 bits is the default",
         "[Window]\nLeft=4294967312\nTop=16.5\n",
         {{"Left", 16}, {"Top", 16}}},
        {"names in any case", "[FIELD]\nlevel=3\n", {{"Level", 3}, {"SizeX", 32}}},
        {"no-guess boards on", "[kelvane]\nnoguess=1\n", {{"NoGuess", 1}}},
        {"no-guess boards written as a word", "[Kelvane]\nNoGuess=True\n", {{"NoGuess", 0}}},
    };
    for (const LoadCase &c : cases) {
        const Settings s = Load(c.File);
        for (const auto &[name, value] : c.Expected)
            EXPECT_EQ(ValueOf(s, name), value) << c.Title << ": " << name;
    }
}

TEST_F(SettingsFile, TimesAboveTheEmptyRecordOrNotNumbersReadAsTheEmptyRecord)
{
    const std::pair<const char *, float> cases[] = {
        {"1234.5", EmptyRecordTime},
        {"abc", EmptyRecordTime},
        {"", EmptyRecordTime},
        {"999.95", EmptyRecordTime},
        {"1e39", EmptyRecordTime},
        {"999.9", EmptyRecordTime},
        {"0", 0.0f},
        {"12.3", 12.3f},
        {"-3.5", -3.5f},
        {"7.06", 7.06f},
    };
    for (const auto &[text, expected] : cases) {
        const Settings s = Load(QByteArray("[BestScores]\nExpertTime=") + text + "\n");
        EXPECT_EQ(s.Window.Best.BestTime[2], expected) << text;
        EXPECT_EQ(s.Window.Best.BestTime[0], EmptyRecordTime) << text;
    }
}

TEST_F(SettingsFile, NamesAreCutToSixteenCharactersAndAnEmptyNameStaysEmpty)
{
    const QByteArray smiley = "\xF0\x9F\x98\x80"; // one character, two UTF-16 units
    const Settings s = Load("[BestScores]\nBeginnerName=ABCDEFGHIJKLMNOPQRST\n"
                            "IntermediateName=\nExpertName=  Bo Li  \n"
                            "UltraName=aaaaaaaaaaaaaaa" +
                            smiley + "bc\n");
    EXPECT_EQ(s.Window.Best.BestName[0], "ABCDEFGHIJKLMNOP");
    EXPECT_EQ(s.Window.Best.BestName[1], "");
    EXPECT_EQ(s.Window.Best.BestName[2], "Bo Li");
    EXPECT_EQ(s.Window.Best.BestName[3], QString::fromUtf8("aaaaaaaaaaaaaaa" + smiley));

    ASSERT_EQ(SaveSettings(Path, *s.Game, s.Window, QLocale::c()), "");
    const QByteArray written = ReadAll(Path);
    EXPECT_TRUE(written.contains("\r\nBeginnerName=ABCDEFGHIJKLMNOP\r\n"));
    EXPECT_TRUE(written.contains("\r\nIntermediateName=\r\n"));
    EXPECT_TRUE(written.contains("\r\nUltraName=aaaaaaaaaaaaaaa" + smiley + "\r\n"));
}

// ---- the layout of a save ----

TEST_F(SettingsFile, ASaveKeepsTheFileItsLinesInPlaceAndWhatTheProgramDoesNotUse)
{
    const Settings s = Load("; written by hand\r\n"
                            "[Window]\r\n Left = 100\r\nTop=50\r\n\r\n"
                            "[Field]\r\nLevel=2\r\nSizeX=50\r\nMines=7\r\n"
                            "[Game]\r\nFairPlay=2\r\nSound = off\r\nTrainerMode=True\r\n"
                            "; keep it blue\r\n"
                            "[Mods]\r\nColour=blue\r\n"
                            "[BestScores]\r\nBeginnerTime=12.34\r\n"
                            "BeginnerName=ABCDEFGHIJKLMNOPQRST\r\n");
    ASSERT_EQ(SaveSettings(Path, *s.Game, s.Window, QLocale::c()), "");
    const QByteArray expected = "[Window]\r\nLeft=100\r\nTop=50\r\n\r\n"
                                "[Field]\r\nLevel=2\r\nSizeX=24\r\nMines=100\r\nSizeY=20\r\n\r\n"
                                "[Game]\r\nFairPlay=1\r\nSound=off\r\nTrainerMode=0\r\n"
                                "TimedGame=1\r\nProbDisplay=1\r\nMaxScale=3\r\n\r\n"
                                "[Mods]\r\nColour=blue\r\n\r\n"
                                "[BestScores]\r\nBeginnerTime=12.3\r\n"
                                "BeginnerName=ABCDEFGHIJKLMNOP\r\nIntermediateTime=999.9\r\n"
                                "ExpertTime=999.9\r\nUltraTime=999.9\r\n"
                                "IntermediateName=Anonymous\r\nExpertName=Anonymous\r\n"
                                "UltraName=Anonymous\r\n\r\n"
                                "[Engine]\r\nAdvancedMode=1\r\nDupCheck=1\r\nCheckingMode=1\r\n"
                                "StepDepth=25\r\n\r\n";
    EXPECT_EQ(ReadAll(Path), expected);

    // Once rewritten, the file is stable: loading and saving again changes nothing.
    Settings again;
    ASSERT_EQ(LoadSettings(Path, *again.Game, again.Window, QLocale::c()), "");
    ASSERT_EQ(SaveSettings(Path, *again.Game, again.Window, QLocale::c()), "");
    EXPECT_EQ(ReadAll(Path), expected);
}

TEST_F(SettingsFile, NoGuessIsWrittenOnlyWhenOn_AfterTheDesignedSections)
{
    Settings s;
    ASSERT_EQ(LoadSettings(Path, *s.Game, s.Window, QLocale::c()), "");
    s.Window.NoGuess = true;
    ASSERT_EQ(SaveSettings(Path, *s.Game, s.Window, QLocale::c()), "");
    EXPECT_EQ(ReadAll(Path), DefaultFile + "[Kelvane]\r\nNoGuess=1\r\n\r\n");
    // Off again, the key goes and with it the section it alone filled.
    s.Window.NoGuess = false;
    ASSERT_EQ(SaveSettings(Path, *s.Game, s.Window, QLocale::c()), "");
    EXPECT_EQ(ReadAll(Path), DefaultFile);
    // A key of the player's own in that section keeps it.
    ASSERT_TRUE(WriteAll(Path, DefaultFile + "[Kelvane]\r\nNoGuess=1\r\nMine=x\r\n"));
    ASSERT_EQ(SaveSettings(Path, *s.Game, s.Window, QLocale::c()), "");
    EXPECT_EQ(ReadAll(Path), DefaultFile + "[Kelvane]\r\nMine=x\r\n\r\n");
}

TEST_F(SettingsFile, ASavedFixedLevelOverwritesTheCustomSizeInTheFile)
{
    Settings s = Load("[Field]\r\nLevel=4\r\nSizeX=30\r\nSizeY=20\r\nMines=99\r\n");
    ASSERT_EQ(ValueOf(s, "SizeX"), 30);
    s.Game->Level = 0;
    s.Game->SizeX = 10;
    s.Game->SizeY = 10;
    s.Game->Mines = 10;
    ASSERT_EQ(SaveSettings(Path, *s.Game, s.Window, QLocale::c()), "");
    EXPECT_TRUE(ReadAll(Path).startsWith("[Field]\r\nLevel=0\r\nSizeX=10\r\nSizeY=10\r\n"
                                         "Mines=10\r\n\r\n[Window]\r\n"));
}

// ---- locales ----

TEST_F(SettingsFile, UnderACommaLocaleTimesAreWrittenWithACommaAndReadUnderEitherLocale)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    Settings s;
    ASSERT_EQ(LoadSettings(Path, *s.Game, s.Window, german), "");
    s.Window.Best.Record(0, "Ida", 12.345f);
    ASSERT_EQ(SaveSettings(Path, *s.Game, s.Window, german), "");
    EXPECT_TRUE(ReadAll(Path).contains("\r\nBeginnerTime=12,3\r\nIntermediateTime=999,9\r\n"));

    for (const QLocale &locale : {german, QLocale::c()}) {
        Settings back;
        ASSERT_EQ(LoadSettings(Path, *back.Game, back.Window, locale), "");
        EXPECT_EQ(back.Window.Best.BestTime[0], 12.3f) << locale.name().toStdString();
        EXPECT_EQ(back.Window.Best.BestTime[1], EmptyRecordTime);
    }
}

TEST_F(SettingsFile, ATimeWrittenWithAPointIsNotLostUnderACommaLocale)
{
    const Settings s =
        Load("[BestScores]\r\nExpertTime=45.6\r\n", QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(s.Window.Best.BestTime[2], 45.6f);
}

TEST_F(SettingsFile, ALocaleWithItsOwnDecimalSeparatorWritesAndReadsItsTimes)
{
    const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
    const QString point = arabic.decimalPoint();
    ASSERT_NE(point, ".");
    ASSERT_NE(point, ",");
    Settings s;
    ASSERT_EQ(LoadSettings(Path, *s.Game, s.Window, arabic), "");
    s.Window.Best.Record(3, "Nour", 88.04f);
    ASSERT_EQ(SaveSettings(Path, *s.Game, s.Window, arabic), "");
    EXPECT_TRUE(ReadAll(Path).contains("\r\nUltraTime=88" + point.toUtf8() + "0\r\n"));

    Settings back;
    ASSERT_EQ(LoadSettings(Path, *back.Game, back.Window, arabic), "");
    EXPECT_EQ(back.Window.Best.BestTime[3], 88.0f);
}

// ---- failures ----

TEST_F(SettingsFile, AnUnreadableFileIsReportedByNameAndLeavesTheDefaults)
{
    ASSERT_TRUE(QDir(Dir.path()).mkdir("kelvane.ini"));
    Settings s;
    const QString message = LoadSettings(Path, *s.Game, s.Window, QLocale::c());
    EXPECT_TRUE(message.contains(Path)) << message.toStdString();
    EXPECT_TRUE(message.contains("read")) << message.toStdString();
    EXPECT_EQ(ValueOf(s, "Level"), 1);
    EXPECT_EQ(ValueOf(s, "SizeX"), 16);
    EXPECT_EQ(ValueOf(s, "MaxX"), 15);
    EXPECT_EQ(ValueOf(s, "Left"), 16);
    EXPECT_EQ(ValueOf(s, "MaxScale"), 3);
    EXPECT_EQ(s.Window.Best.BestName[3], "Anonymous");
}

TEST_F(SettingsFile, ASaveWhereNoFileCanBeCreatedIsReportedByNameAndCreatesNothing)
{
    ASSERT_TRUE(WriteAll(Dir.filePath("plain"), "not a folder"));
    const QString path = Dir.filePath("plain/kelvane.ini");
    Settings s;
    ASSERT_EQ(LoadSettings(path, *s.Game, s.Window, QLocale::c()), "");
    const QString message = SaveSettings(path, *s.Game, s.Window, QLocale::c());
    EXPECT_TRUE(message.contains(path)) << message.toStdString();
    EXPECT_TRUE(message.contains("written")) << message.toStdString();
    EXPECT_EQ(ReadAll(Dir.filePath("plain")), "not a folder");
    EXPECT_EQ(Entries(), QStringList{"plain"});
}

TEST_F(SettingsFile, ASaveOverAFolderIsReportedAndLeavesTheFolder)
{
    ASSERT_TRUE(QDir(Dir.path()).mkdir("kelvane.ini"));
    Settings s;
    LoadSettings(Path, *s.Game, s.Window, QLocale::c());
    const QString message = SaveSettings(Path, *s.Game, s.Window, QLocale::c());
    EXPECT_TRUE(message.contains(Path)) << message.toStdString();
    EXPECT_TRUE(QFileInfo(Path).isDir());
}

TEST_F(SettingsFile, ASaveStoppedAfterTheTemporaryFileIsWrittenLeavesTheOldFileIntact)
{
    const QByteArray old = "[Window]\r\nTop=1\r\nLeft=2\r\n\r\n[Mods]\r\nx=y\r\n\r\n";
    Settings s = Load(old);
    s.Window.Top = 300;
    bool stopped = false;
    const QString message = SaveSettings(Path, *s.Game, s.Window, QLocale::c(), [&] {
        stopped = true;
        EXPECT_EQ(ReadAll(Path), old);
        return false;
    });
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(message.contains(Path)) << message.toStdString();
    EXPECT_EQ(ReadAll(Path), old);
    EXPECT_EQ(Entries(), QStringList{"kelvane.ini"});

    // The same save, not stopped, goes through.
    EXPECT_EQ(SaveSettings(Path, *s.Game, s.Window, QLocale::c(), [] { return true; }), "");
    EXPECT_TRUE(ReadAll(Path).startsWith("[Window]\r\nTop=300\r\nLeft=2\r\n\r\n[Mods]\r\n"));
}

TEST_F(SettingsFile, ASaveThatRunsOutOfSpaceIsReportedAndLeavesTheOldFileIntact)
{
    const QByteArray old = "[Window]\r\nTop=1\r\n\r\n";
    Settings s = Load(old);

    // A file size limit fails the write part-way, as a full disk does.
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString message = SaveSettings(Path, *s.Game, s.Window, QLocale::c());
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(message.contains(Path)) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromLocal8Bit(std::strerror(EFBIG))))
        << message.toStdString();
    EXPECT_EQ(ReadAll(Path), old);
    EXPECT_EQ(Entries(), QStringList{"kelvane.ini"});
}

// ---- a save failing at each of its steps ----

// The save's system calls, recorded by step, with one chosen step failing with a chosen
// error; every other call is the system's own. Writes go at most 16 bytes at a time, so
// that a save takes several and any of them can fail.
struct SaveSteps {
    static inline std::vector<std::string> Log;
    static inline std::string FailStep;
    static inline int FailAt = 0; // the how-manieth call of that step fails, from 1
    static inline int FailError = 0;
    static inline int FolderFd = -1;
    static inline std::map<std::string, int> Calls;

    static bool Fails(const std::string &step)
    {
        Log.push_back(step);
        if (step != FailStep || ++Calls[step] != FailAt) return false;
        errno = FailError;
        return true;
    }
    static int Open(const char *path, int flags, mode_t mode)
    {
        const bool folder = (flags & O_DIRECTORY) != 0;
        if (Fails(folder ? "open folder" : "open")) return -1;
        const int fd = ::open(path, flags, mode);
        if (folder) FolderFd = fd;
        return fd;
    }
    static ssize_t Write(int fd, const void *data, size_t size)
    {
        // An error of 0 stands for a write that takes nothing and reports no error.
        if (Fails("write")) return FailError == 0 ? 0 : -1;
        return ::write(fd, data, std::min<size_t>(size, 16));
    }
    static int Sync(int fd)
    {
        if (Fails(fd == FolderFd ? "sync folder" : "sync")) return -1;
        return ::fsync(fd);
    }
    static int Close(int fd)
    {
        const bool failed = Fails(fd == FolderFd ? "close folder" : "close");
        if (fd == FolderFd) FolderFd = -1;
        // A close that fails has still given the descriptor up.
        const int result = ::close(fd);
        if (failed) {
            errno = FailError;
            return -1;
        }
        return result;
    }
    static int Rename(const char *from, const char *to)
    {
        if (Fails("rename")) return -1;
        return std::rename(from, to);
    }
    static int Unlink(const char *path)
    {
        Log.push_back("unlink");
        return ::unlink(path);
    }
};

// Puts the recording calls in for one test and the system's back after it.
class SaveFault : public SettingsFile
{
  protected:
    void SetUp() override
    {
        SettingsFile::SetUp();
        SaveSteps::Log.clear();
        SaveSteps::Calls.clear();
        SaveSteps::FailStep.clear();
        SaveSteps::FolderFd = -1;
        SettingsSaveCalls() = {SaveSteps::Open,  SaveSteps::Write,  SaveSteps::Sync,
                               SaveSteps::Close, SaveSteps::Rename, SaveSteps::Unlink};
    }
    void TearDown() override { SettingsSaveCalls() = SystemSaveCalls(); }

    // The log with runs of writes as one "write".
    static std::vector<std::string> Steps()
    {
        std::vector<std::string> steps;
        for (const std::string &step : SaveSteps::Log)
            if (step != "write" || steps.empty() || steps.back() != "write") steps.push_back(step);
        return steps;
    }
};

TEST_F(SaveFault, ASaveWritesSyncsAndClosesTheNewFileBeforeItReplacesTheOldOneThenSyncsTheFolder)
{
    Settings s = Load("[Window]\r\nTop=1\r\n\r\n");
    s.Window.Top = 300;
    // A signal that interrupts a write is no failure: the write is tried again.
    SaveSteps::FailStep = "write";
    SaveSteps::FailAt = 2;
    SaveSteps::FailError = EINTR;
    ASSERT_EQ(SaveSettings(Path, *s.Game, s.Window, QLocale::c()), "");
    const std::vector<std::string> expected = {
        "open", "write", "sync", "close", "rename", "open folder", "sync folder", "close folder"};
    EXPECT_EQ(Steps(), expected);
    EXPECT_GT(std::count(SaveSteps::Log.begin(), SaveSteps::Log.end(), "write"), 10);
    EXPECT_TRUE(ReadAll(Path).startsWith("[Window]\r\nTop=300\r\n"));
    EXPECT_EQ(Entries(), QStringList{"kelvane.ini"});
}

TEST_F(SaveFault, AFailureAtAnyStepIsReportedWithItsCauseAndLeavesOneWholeFileAndNoLitter)
{
    const QByteArray old = "[Window]\r\nTop=1\r\nLeft=2\r\n\r\n[Mods]\r\nx=y\r\n\r\n";
    struct Row {
        const char *Step;
        int At;
        int Error;
        bool Replaced;    // the step comes after the new file took the old one's place
        const char *Says; // how the message names the step
    };
    const char *const temporary = "creating the temporary file";
    const char *const writing = "writing the temporary file";
    const char *const syncing = "syncing the temporary file";
    const char *const closing = "closing the temporary file";
    const char *const renaming = "putting the new file in place";
    const char *const folder = "syncing its folder";
    const Row rows[] = {
        {"open", 1, ENOSPC, false, temporary},    {"open", 1, EACCES, false, temporary},
        {"write", 1, ENOSPC, false, writing},     {"write", 3, ENOSPC, false, writing},
        {"write", 5, EIO, false, writing},        {"write", 2, 0, false, writing},
        {"sync", 1, EIO, false, syncing},         {"sync", 1, ENOSPC, false, syncing},
        {"close", 1, EIO, false, closing},        {"close", 1, ENOSPC, false, closing},
        {"rename", 1, EIO, false, renaming},      {"rename", 1, EXDEV, false, renaming},
        {"open folder", 1, EACCES, true, folder}, {"sync folder", 1, EIO, true, folder},
        {"close folder", 1, EIO, true, folder},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(row.Step) + " #" + std::to_string(row.At) + ": " +
                     std::strerror(row.Error));
        ASSERT_TRUE(WriteAll(Path, old));
        Settings s = Load(old);
        s.Window.Top = 300;
        SaveSteps::Calls.clear();
        SaveSteps::FailStep = row.Step;
        SaveSteps::FailAt = row.At;
        SaveSteps::FailError = row.Error;
        const QString message = SaveSettings(Path, *s.Game, s.Window, QLocale::c());

        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(Path))) << message.toStdString();
        EXPECT_TRUE(
            message.contains(QString::fromLocal8Bit(std::strerror(row.Error ? row.Error : EIO))))
            << message.toStdString();
        EXPECT_TRUE(message.contains("not saved")) << message.toStdString();
        EXPECT_TRUE(message.contains(QString(row.Says) + " failed (")) << message.toStdString();
        const QByteArray now = ReadAll(Path);
        if (row.Replaced)
            EXPECT_TRUE(now.startsWith("[Window]\r\nTop=300\r\nLeft=2\r\n")) << now.toStdString();
        else
            EXPECT_EQ(now, old);
        EXPECT_EQ(Entries(), QStringList{"kelvane.ini"});

        // The next save, on a sound disk, goes through.
        SaveSteps::FailStep.clear();
        EXPECT_EQ(SaveSettings(Path, *s.Game, s.Window, QLocale::c()), "");
        EXPECT_TRUE(ReadAll(Path).startsWith("[Window]\r\nTop=300\r\nLeft=2\r\n"));
    }
}

// An installed program's first save makes its configuration folder; when that fails, the
// message names that step and its own reason, not a later step's.
TEST_F(SettingsFile, AFolderThatCannotBeMadeIsReportedWithItsOwnReason)
{
    ASSERT_TRUE(WriteAll(Dir.filePath("plain"), "a file, not a folder"));
    const QString path = Dir.filePath("plain/kelvane/kelvane.ini");
    QString message = MakeSettingsFolder(path);
    EXPECT_TRUE(message.contains(QDir::toNativeSeparators(path))) << message.toStdString();
    EXPECT_TRUE(message.contains("making its folder " + Dir.filePath("plain/kelvane") +
                                 " failed (" + QString::fromLocal8Bit(std::strerror(ENOTDIR))))
        << message.toStdString();
    EXPECT_TRUE(message.contains("not saved")) << message.toStdString();

    // Permissions hold for anyone but root: a read-only home without its folder.
    if (geteuid() != 0) {
        ASSERT_TRUE(QDir(Dir.path()).mkdir("home"));
        ASSERT_TRUE(QFile::setPermissions(Dir.filePath("home"),
                                          QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        message = MakeSettingsFolder(Dir.filePath("home/.config/kelvane/kelvane.ini"));
        EXPECT_TRUE(message.contains(QString::fromLocal8Bit(std::strerror(EACCES))))
            << message.toStdString();
        QFile::setPermissions(Dir.filePath("home"), QFileDevice::WriteOwner |
                                                        QFileDevice::ReadOwner |
                                                        QFileDevice::ExeOwner);
    }
    EXPECT_EQ(MakeSettingsFolder(Dir.filePath("made/kelvane/kelvane.ini")), "");
    EXPECT_TRUE(QFileInfo(Dir.filePath("made/kelvane")).isDir());
}

// A real file system that is full: a small one mounted for the test, where the machine
// lets a test mount one (root in a mount namespace of its own).
TEST_F(SettingsFile, ASaveOnAFullFileSystemIsReportedAndLeavesTheOldFileIntact)
{
    if (unshare(CLONE_NEWNS) != 0) GTEST_SKIP() << "no mount namespace: " << std::strerror(errno);
    ASSERT_EQ(mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr), 0)
        << std::strerror(errno);
    const QByteArray folder = QFile::encodeName(Dir.filePath("small"));
    ASSERT_TRUE(QDir(Dir.path()).mkdir("small"));
    if (mount("tmpfs", folder.constData(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "cannot mount a file system: " << std::strerror(errno);
    const QString path = Dir.filePath("small/kelvane.ini");
    const QByteArray old = DefaultFile;
    ASSERT_TRUE(WriteAll(path, old));
    // Fills what is left, one block at a time, until the disk says it is full.
    QFile filler(Dir.filePath("small/filler"));
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(512, 'x');
    while (filler.write(block) == block.size()) {
    }
    filler.close();

    Settings s;
    ASSERT_EQ(LoadSettings(path, *s.Game, s.Window, QLocale::c()), "");
    s.Window.Top = 300;
    const QString message = SaveSettings(path, *s.Game, s.Window, QLocale::c());
    EXPECT_TRUE(message.contains(path)) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromLocal8Bit(std::strerror(ENOSPC))))
        << message.toStdString();
    EXPECT_EQ(ReadAll(path), old);
    EXPECT_EQ(QDir(Dir.filePath("small")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              (QStringList{"filler", "kelvane.ini"}));

    // With room made, the same save goes through.
    ASSERT_TRUE(QFile::remove(Dir.filePath("small/filler")));
    EXPECT_EQ(SaveSettings(path, *s.Game, s.Window, QLocale::c()), "");
    EXPECT_TRUE(ReadAll(path).startsWith("[Window]\r\nTop=300\r\n"));
    umount2(folder.constData(), MNT_DETACH);
}

// ---- the window position ----

TEST(SettingsWindowPosition, AWindowOverlappingAScreenStaysAndOneWhollyOffMovesToThePrimary)
{
    const QRect primary(0, 0, 1024, 768);
    const QRect right(1024, 0, 1280, 1024);
    const QList<QRect> screens{primary, right};
    const QSize size(964, 660);
    struct PositionCase {
        const char *Title;
        QPoint TopLeft;
        QPoint Expected;
    };
    const PositionCase cases[] = {
        {"on the primary screen", {16, 16}, {16, 16}},
        {"on the second screen", {1500, 300}, {1500, 300}},
        {"one pixel over the left edge", {-963, 0}, {-963, 0}},
        {"one pixel over the bottom of the second screen", {1100, 1023}, {1100, 1023}},
        {"just left of every screen", {-964, 0}, {16, 16}},
        {"below the primary, beside no screen", {0, 768}, {16, 16}},
        {"far beyond every screen", {30000, 30000}, {16, 16}},
        {"at the end of the 32-bit range", {2147483647, 2147483647}, {16, 16}},
        {"at the start of the 32-bit range", {-2147483647 - 1, -2147483647 - 1}, {16, 16}},
    };
    for (const PositionCase &c : cases)
        EXPECT_EQ(KeepOnScreen(c.TopLeft, size, screens, primary), c.Expected) << c.Title;
}

TEST(SettingsWindowPosition, TheMendedPositionLiesOnThePrimaryScreenWhereverItIs)
{
    const QRect primary(1920, 100, 1024, 768);
    EXPECT_EQ(KeepOnScreen({0, 0}, {964, 660}, {primary}, primary), QPoint(1936, 116));
    // With no screen known there is nowhere better to go.
    EXPECT_EQ(KeepOnScreen({5000, 5000}, {964, 660}, {}, QRect()), QPoint(5000, 5000));
}
