#include "settings_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include <unistd.h>

namespace
{

SettingsStore StoreOf(const QByteArray &contents, const QLocale &locale = QLocale::c())
{
    SettingsStore store(locale);
    store.Parse(contents);
    return store;
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

} // namespace

// ---- reading rules ----

TEST(IniReading, BlanksAroundHeadersNamesAndValuesAreStripped)
{
    const SettingsStore store = StoreOf("  [ Game ]  \n\t MaxScale  =  2 \t\n");
    EXPECT_EQ(store.ReadInteger("Game", "MaxScale", 3), 2);
}

TEST(IniReading, SectionAndKeyNamesMatchWithoutRegardToCase)
{
    const SettingsStore store = StoreOf("[gAME]\nmaxSCALE=1\n");
    EXPECT_EQ(store.ReadInteger("Game", "MaxScale", 3), 1);
}

TEST(IniReading, CrLfLfAndCrLineEndsAreAllAccepted)
{
    for (const char *text :
         {"[A]\r\nx=1\r\ny=2\r\n", "[A]\nx=1\ny=2\n", "[A]\rx=1\ry=2\r", "[A]\r\nx=1\ry=2"}) {
        const SettingsStore store = StoreOf(text);
        EXPECT_EQ(store.ReadInteger("A", "x", 0), 1) << text;
        EXPECT_EQ(store.ReadInteger("A", "y", 0), 2) << text;
    }
}

TEST(IniReading, CommentsAndLinesBeforeTheFirstHeaderAreIgnored)
{
    const SettingsStore store = StoreOf("x=5\n[A]\n;y=7\n  ; z=8\n");
    EXPECT_EQ(store.ReadInteger("A", "x", 0), 0);
    EXPECT_EQ(store.ReadInteger("A", "y", 0), 0);
    EXPECT_EQ(store.ReadInteger("A", "z", 0), 0);
}

TEST(IniReading, ValueIsEverythingAfterTheFirstEqualsSign)
{
    const SettingsStore store = StoreOf("[A]\nName=a = b\n");
    EXPECT_EQ(store.ReadString("A", "Name", "none"), "a = b");
}

TEST(IniReading, AbsentKeysAndSectionsGiveTheDefaultButAnEmptyValueIsEmptyText)
{
    const SettingsStore store = StoreOf("[A]\nEmpty=\nWord\n");
    EXPECT_EQ(store.ReadString("A", "Empty", "def"), "");
    EXPECT_EQ(store.ReadString("A", "Missing", "def"), "def");
    EXPECT_EQ(store.ReadString("A", "Word", "def"), "def"); // a line without "=" is no key
    EXPECT_EQ(store.ReadString("B", "Empty", "def"), "def");
}

TEST(IniReading, TheFirstOfTwoEqualKeysCountsAndARepeatedSectionJoinsTheFirst)
{
    const SettingsStore store = StoreOf("[A]\nx=1\nx=2\n[B]\n[a]\ny=3\n");
    EXPECT_EQ(store.ReadInteger("A", "x", 0), 1);
    EXPECT_EQ(store.ReadInteger("A", "y", 0), 3);
}

TEST(IniReading, ALeadingByteOrderMarkDoesNotHideTheFirstSection)
{
    const SettingsStore store = StoreOf("\xEF\xBB\xBF[Game]\r\nMaxScale=2\r\n");
    EXPECT_EQ(store.ReadInteger("Game", "MaxScale", 3), 2);
}

TEST(IniReading, AByteOrderMarkLaterInTheFileStaysTextAndStartsNoSectionAfterASave)
{
    const QByteArray file = "[BestScores]\n\x01\xEF\xBB\xBF[Game]\nBeginnerName=Al\n";
    const SettingsStore store = StoreOf(file);
    EXPECT_EQ(store.ReadString("BestScores", "BeginnerName", ""), "Al");
    const SettingsStore reread = StoreOf(store.Serialize());
    EXPECT_EQ(reread.ReadString("BestScores", "BeginnerName", ""), "Al");
    EXPECT_EQ(reread.Serialize(), store.Serialize());
}

struct IntegerCase {
    const char *Text;
    int32_t Expected; // -77 stands for "the default"
};

TEST(IniReading, IntegersAreDecimalOrHexadecimalWithinThirtyTwoBits)
{
    constexpr int32_t Def = -77;
    const IntegerCase cases[] = {
        {"16", 16},
        {"-4", -4},
        {"+7", 7},
        {"007", 7},
        {"0x1F", 31},
        {"0X1f", 31},
        {"$10", 16},
        {"-$10", -16},
        {"0x2", 2},
        {"2147483647", std::numeric_limits<int32_t>::max()},
        {"-2147483648", std::numeric_limits<int32_t>::min()},
        {"0x7FFFFFFF", std::numeric_limits<int32_t>::max()},
        {"-0x80000000", std::numeric_limits<int32_t>::min()},
        {"2147483648", Def},
        {"-2147483649", Def},
        {"0x80000000", Def},
        {"0xFFFFFFFF", Def},
        {"99999999999999999999999", Def},
        {"True", Def},
        {"False", Def},
        {"1.5", Def},
        {"1 2", Def},
        {"12abc", Def},
        {"0x", Def},
        {"$", Def},
        {"-", Def},
        {"0x-1", Def},
        {"$G", Def},
        {"\xD9\xA3", Def}, // ARABIC-INDIC DIGIT THREE is no decimal digit here
    };
    for (const IntegerCase &c : cases) {
        const SettingsStore store = StoreOf(QByteArray("[A]\nv=") + c.Text + "\n");
        EXPECT_EQ(store.ReadInteger("A", "v", Def), c.Expected) << c.Text;
    }
    EXPECT_EQ(StoreOf("[A]\nv=\n").ReadInteger("A", "v", Def), Def);
}

TEST(IniReading, BooleansAreIntegersWhereAnyNonZeroIsOn)
{
    struct BoolCase {
        const char *Text;
        bool WithDefaultOn;
        bool WithDefaultOff;
    };
    const BoolCase cases[] = {
        {"1", true, true},   {"0", false, false},  {"2", true, true},     {"-1", true, true},
        {"0x2", true, true}, {"$0", false, false}, {"True", true, false}, {"False", true, false},
        {"on", true, false}, {"", true, false},    {"1.0", true, false},
    };
    for (const BoolCase &c : cases) {
        const SettingsStore store = StoreOf(QByteArray("[A]\nv=") + c.Text + "\n");
        EXPECT_EQ(store.ReadBool("A", "v", true), c.WithDefaultOn) << c.Text;
        EXPECT_EQ(store.ReadBool("A", "v", false), c.WithDefaultOff) << c.Text;
    }
}

struct FloatCase {
    const char *Text;
    double Expected; // -77 stands for "the default"
};

TEST(IniReading, TimesAreDecimalNumbersWithAPointOrCommaUnderAPointLocale)
{
    constexpr double Def = -77;
    const FloatCase cases[] = {
        {"12.3", 12.3},   {"0", 0},       {"-5", -5},      {"+2.5", 2.5},    {"1234.5", 1234.5},
        {"999.9", 999.9}, {"12,3", 12.3}, {".5", 0.5},     {"5.", 5},        {"1e2", 100},
        {"2.5E-1", 0.25}, {"abc", Def},   {"12.3.4", Def}, {"1,234.5", Def}, {"1 234", Def},
        {"12.3s", Def},   {"nan", Def},   {"inf", Def},    {"-inf", Def},    {"1e", Def},
        {"e5", Def},      {".", Def},     {"-", Def},      {"", Def},        {"1e39", Def},
        {"-1e39", Def},   {"1e400", Def}, {"0x10", Def},
    };
    for (const FloatCase &c : cases) {
        const SettingsStore store = StoreOf(QByteArray("[A]\nt=") + c.Text + "\n");
        EXPECT_DOUBLE_EQ(store.ReadFloat("A", "t", Def), c.Expected) << c.Text;
    }
}

TEST(IniReading, UnderACommaLocaleTimesWithACommaAndWithAPointAreBothRead)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    ASSERT_EQ(german.decimalPoint(), ",");
    const SettingsStore store = StoreOf("[A]\ncomma=12,3\npoint=45.6\ngrouped=1.234,5\n", german);
    EXPECT_DOUBLE_EQ(store.ReadFloat("A", "comma", -1), 12.3);
    EXPECT_DOUBLE_EQ(store.ReadFloat("A", "point", -1), 45.6);
    EXPECT_DOUBLE_EQ(store.ReadFloat("A", "grouped", -1), -1);
}

TEST(IniReading, ALineThatIsNotUtf8KeepsEveryCharacter)
{
    const SettingsStore store = StoreOf("[A]\nWho=M\xFCller\nTwo=\xC3\xA9t\xC3\xA9\n");
    EXPECT_EQ(store.ReadString("A", "Who", ""), QString::fromUtf8("M\xC3\xBCller"));
    EXPECT_EQ(store.ReadString("A", "Two", ""), QString::fromUtf8("\xC3\xA9t\xC3\xA9"));
    EXPECT_EQ(store.Serialize(), "[A]\r\nWho=M\xC3\xBCller\r\nTwo=\xC3\xA9t\xC3\xA9\r\n\r\n");
}

// ---- writing rules ----

TEST(IniWriting, AFreshStoreWritesSectionsAndKeysInTheOrderWritten)
{
    SettingsStore store(QLocale::c());
    store.WriteInteger("Window", "Top", 16);
    store.WriteInteger("Window", "Left", -3);
    store.WriteBool("Game", "FairPlay", true);
    store.WriteBool("Game", "TrainerMode", false);
    store.WriteString("Names", "Who", "Ann Lee");
    EXPECT_EQ(store.Serialize(), "[Window]\r\nTop=16\r\nLeft=-3\r\n\r\n"
                                 "[Game]\r\nFairPlay=1\r\nTrainerMode=0\r\n\r\n"
                                 "[Names]\r\nWho=Ann Lee\r\n\r\n");
}

TEST(IniWriting, APresentKeyIsReplacedInItsOwnLineAndMissingOnesGoToTheEndOfTheirSection)
{
    SettingsStore store = StoreOf("[game]\nmaxscale = 1\nExtra=x\n[Other]\nk=v\n");
    store.WriteInteger("Game", "MaxScale", 2);
    store.WriteInteger("Game", "New", 5);
    store.WriteInteger("Engine", "StepDepth", 25);
    EXPECT_EQ(store.Serialize(), "[game]\r\nmaxscale=2\r\nExtra=x\r\nNew=5\r\n\r\n"
                                 "[Other]\r\nk=v\r\n\r\n"
                                 "[Engine]\r\nStepDepth=25\r\n\r\n");
}

TEST(IniWriting, ARemovedKeyLeavesItsSectionAndASectionLeftEmptyGoes)
{
    SettingsStore store = StoreOf("[A]\nx=1\nY=2\nx=3\n[B]\nz=1\n[C]\nk=v\n[D]\n");
    store.RemoveKey("a", "X");
    store.RemoveKey("B", "z");
    store.RemoveKey("C", "missing");
    store.RemoveKey("D", "k"); // a section that was empty already stays
    store.RemoveKey("Missing", "k");
    EXPECT_EQ(store.Serialize(), "[A]\r\nY=2\r\n\r\n[C]\r\nk=v\r\n\r\n[D]\r\n\r\n");
    EXPECT_EQ(store.ReadInteger("A", "x", 7), 7);
}

TEST(IniWriting, CommentsBlankLinesAndLeadingLinesAreDroppedWhileUnknownLinesSurviveStripped)
{
    const SettingsStore store =
        StoreOf("; made by hand\nstray=1\n\n[A]\r\n  ; note\r\n\r\n  Foo  =  bar  \r\n"
                "  loose words  \r\n[B]\r\n[ a ]\r\nlate=1\r\n");
    EXPECT_EQ(store.Serialize(), "[A]\r\nFoo=bar\r\nloose words\r\nlate=1\r\n\r\n"
                                 "[B]\r\n\r\n");
}

TEST(IniWriting, ALineBreakInAValueCannotStartALineOfItsOwn)
{
    SettingsStore store(QLocale::c());
    store.WriteString("BestScores", "BeginnerName", "Eve\r\n[Field]\nLevel=4\rX");
    const SettingsStore reread = StoreOf(store.Serialize());
    EXPECT_EQ(reread.ReadString("BestScores", "BeginnerName", ""), "Eve  [Field] Level=4 X");
    EXPECT_EQ(reread.ReadInteger("Field", "Level", 1), 1);
}

TEST(IniWriting, TextsOutsideAsciiAreWrittenAsUtf8AndReadBackUnchanged)
{
    const QString name = QString::fromUtf8("J\xC3\xBCrgen \xF0\x9F\x98\x80");
    SettingsStore store(QLocale::c());
    store.WriteString("BestScores", "UltraName", name);
    EXPECT_EQ(StoreOf(store.Serialize()).ReadString("BestScores", "UltraName", ""), name);
}

// ---- the file ----

class IniFile : public ::testing::Test
{
  protected:
    void SetUp() override { ASSERT_TRUE(Dir.isValid()); }
    QString PathOf(const QString &name) const { return Dir.filePath(name); }
    QStringList Entries() const
    {
        return QDir(Dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    }

    QTemporaryDir Dir;
};

TEST_F(IniFile, AMissingFileOpensEmptyWithoutFailureAndTheFirstUpdateCreatesIt)
{
    SettingsStore store(QLocale::c());
    ASSERT_TRUE(store.Open(PathOf("kelvane.ini")));
    EXPECT_EQ(store.Serialize(), "");
    store.WriteInteger("Window", "Top", 5);
    ASSERT_TRUE(store.UpdateFile()) << store.ErrorString().toStdString();
    EXPECT_EQ(ReadAll(PathOf("kelvane.ini")), "[Window]\r\nTop=5\r\n\r\n");
    EXPECT_EQ(Entries(), QStringList{"kelvane.ini"});
}

TEST_F(IniFile, AnExistingFileIsReadWholeAndReplacedWhole)
{
    ASSERT_TRUE(WriteAll(PathOf("kelvane.ini"), "[Mine]\nkeep=me\n[Window]\nTop=1\n"));
    SettingsStore store(QLocale::c());
    ASSERT_TRUE(store.Open(PathOf("kelvane.ini")));
    EXPECT_EQ(store.ReadInteger("Window", "Top", 0), 1);
    store.WriteInteger("Window", "Top", 2);
    ASSERT_TRUE(store.UpdateFile());
    EXPECT_EQ(ReadAll(PathOf("kelvane.ini")), "[Mine]\r\nkeep=me\r\n\r\n[Window]\r\nTop=2\r\n\r\n");
}

TEST_F(IniFile, AFolderInPlaceOfTheFileCannotBeOpenedAndSaysWhy)
{
    ASSERT_TRUE(QDir(Dir.path()).mkdir("kelvane.ini"));
    SettingsStore store(QLocale::c());
    EXPECT_FALSE(store.Open(PathOf("kelvane.ini")));
    EXPECT_FALSE(store.ErrorString().isEmpty());
    EXPECT_EQ(store.Serialize(), "");
    EXPECT_FALSE(store.UpdateFile());
    EXPECT_TRUE(QFileInfo(PathOf("kelvane.ini")).isDir());
}

TEST_F(IniFile, ADeviceInPlaceOfTheFileIsNeitherReadNorWaitedFor)
{
    ASSERT_TRUE(QFile::link("/dev/zero", PathOf("kelvane.ini")));
    SettingsStore store(QLocale::c());
    EXPECT_FALSE(store.Open(PathOf("kelvane.ini")));
    EXPECT_FALSE(store.ErrorString().isEmpty());
}

TEST_F(IniFile, AnUpdateBelowARegularFileFailsAndSaysWhy)
{
    ASSERT_TRUE(WriteAll(PathOf("plain"), "x"));
    SettingsStore store(QLocale::c());
    ASSERT_TRUE(store.Open(PathOf("plain/kelvane.ini")));
    store.WriteInteger("Window", "Top", 5);
    EXPECT_FALSE(store.UpdateFile());
    EXPECT_FALSE(store.ErrorString().isEmpty());
    EXPECT_EQ(ReadAll(PathOf("plain")), "x");
}

TEST_F(IniFile, UntilTheNewFileIsCompleteTheOldOneStaysWholeAndAStoppedUpdateLeavesNoLitter)
{
    const QByteArray old = "[Window]\r\nTop=1\r\n\r\n";
    ASSERT_TRUE(WriteAll(PathOf("kelvane.ini"), old));
    SettingsStore store(QLocale::c());
    ASSERT_TRUE(store.Open(PathOf("kelvane.ini")));
    store.WriteInteger("Window", "Top", 2);

    bool called = false;
    const bool saved = store.UpdateFile([&] {
        called = true;
        // The moment the program could die: the old file whole, the new one complete beside it.
        EXPECT_EQ(ReadAll(PathOf("kelvane.ini")), old);
        // The new contents may sit in an unnamed file; a named one must be complete.
        QStringList others = Entries();
        others.removeAll("kelvane.ini");
        for (const QString &other : others)
            EXPECT_EQ(ReadAll(PathOf(other)), "[Window]\r\nTop=2\r\n\r\n");
        return false;
    });
    EXPECT_TRUE(called);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(store.ErrorString().isEmpty());
    EXPECT_EQ(ReadAll(PathOf("kelvane.ini")), old);
    EXPECT_EQ(Entries(), QStringList{"kelvane.ini"});
}

TEST_F(IniFile, AStaleTemporaryFileOfTheSameNameIsNeitherReusedNorPutInPlace)
{
    // Left by an earlier process that had this one's number, and longer than the new contents.
    const QString stale = PathOf("kelvane.ini.new-" + QString::number(getpid()));
    ASSERT_TRUE(WriteAll(stale, "[Stale]\r\nx=a long line that a save must not leave behind\r\n"));
    SettingsStore store(QLocale::c());
    ASSERT_TRUE(store.Open(PathOf("kelvane.ini")));
    store.WriteInteger("A", "x", 2);
    ASSERT_TRUE(store.UpdateFile()) << store.ErrorString().toStdString();
    EXPECT_EQ(ReadAll(PathOf("kelvane.ini")), "[A]\r\nx=2\r\n\r\n");
}

TEST_F(IniFile, AReplacedFileKeepsItsPermissions)
{
    ASSERT_TRUE(WriteAll(PathOf("kelvane.ini"), "[A]\nx=1\n"));
    const auto mode = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    ASSERT_TRUE(QFile::setPermissions(PathOf("kelvane.ini"), mode));
    SettingsStore store(QLocale::c());
    ASSERT_TRUE(store.Open(PathOf("kelvane.ini")));
    store.WriteInteger("A", "x", 2);
    ASSERT_TRUE(store.UpdateFile());
    const int ownerGroupOther = 0x7077; // leaves out the bits that depend on who asks
    EXPECT_EQ(QFile::permissions(PathOf("kelvane.ini")).toInt() & ownerGroupOther,
              mode.toInt() & ownerGroupOther);
}

TEST_F(IniFile, AnUpdateThroughASymbolicLinkWritesTheFileItPointsTo)
{
    ASSERT_TRUE(WriteAll(PathOf("real.ini"), "[A]\nx=1\n"));
    ASSERT_TRUE(QFile::link(PathOf("real.ini"), PathOf("kelvane.ini")));
    SettingsStore store(QLocale::c());
    ASSERT_TRUE(store.Open(PathOf("kelvane.ini")));
    store.WriteInteger("A", "x", 2);
    ASSERT_TRUE(store.UpdateFile());
    EXPECT_TRUE(QFileInfo(PathOf("kelvane.ini")).isSymLink());
    EXPECT_EQ(ReadAll(PathOf("real.ini")), "[A]\r\nx=2\r\n\r\n");
}
