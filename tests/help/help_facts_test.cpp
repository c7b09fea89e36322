// What the help tells about the program, compared with the program itself: the levels,
// the sector sizes, the settings file, the statistics panel and kelvane-solve.
#include "help_document.h"

#include "engine_loader.h"
#include "field_geometry.h"
#include "level_table.h"
#include "settings.h"
#include "stats_panel.h"

#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QWidget>

#include <algorithm>

#include <gtest/gtest.h>

namespace
{

const QString BuiltHelp = QStringLiteral(KELVANE_HELP_DIR);
const QString SolvePath = QStringLiteral(KELVANE_SOLVE_PATH);

class HelpFacts : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        Help = HelpDocument::Load(BuiltHelp);
        ASSERT_TRUE(Help.ParseError.isEmpty()) << Help.ParseError.toStdString();
    }

    HelpDocument Help;
};

// The settings file a first close writes: every key at its default.
QString FreshSettingsFile()
{
    SettingsStore empty(QLocale::c());
    TGameState game{};
    MainWindowSettings window;
    ReadSettings(empty, game, window);
    SettingsStore written(QLocale::c());
    WriteSettings(written, game, window);
    return QString::fromUtf8(written.Serialize()).replace("\r\n", "\n");
}

struct SolveRun {
    int ExitCode = -1;
    QString Output;
};

SolveRun RunSolve(const QStringList &arguments)
{
    QProcess process;
    process.start(SolvePath, arguments);
    SolveRun run;
    if (!process.waitForFinished(60000)) return run;
    run.ExitCode = process.exitCode();
    run.Output = QString::fromUtf8(process.readAllStandardOutput());
    return run;
}

// The status line's time differs from run to run, and its step count with the engine's
// sweep order; the probabilities and the status are what the example shows.
QString WithoutCounts(QString output)
{
    static const QRegularExpression counts(R"(combinations [0-9]+ seconds [0-9.]+)");
    return output.replace(counts, "combinations N seconds T");
}

} // namespace

TEST_F(HelpFacts, LevelTable_GivesEachLevelItsSizeAndMines)
{
    const QList<QStringList> rows = Help.TableRows("level-table");
    ASSERT_EQ(rows.size(), 4);
    for (int level = 0; level < 4; ++level) {
        const LevelRow &row = LevelTable[level];
        EXPECT_EQ(rows[level],
                  (QStringList{row.Name, QString::number(row.SizeX), QString::number(row.SizeY),
                               QString::number(row.Mines)}));
    }
}

TEST_F(HelpFacts, SectorSizeTable_IsTheLayoutOfEveryLevelUnderEveryLimit)
{
    const QList<QStringList> rows = Help.TableRows("sector-sizes");
    ASSERT_EQ(rows.size(), 4);
    for (int level = 0; level < 4; ++level) {
        QStringList expected{LevelTable[level].Name};
        for (int32_t maxScale = 0; maxScale <= 3; ++maxScale)
            expected.append(
                QString::number(LayoutGeometry(LevelTable[level].SizeX, LevelTable[level].SizeY,
                                               maxScale, 769, 601, FieldGeometry{})
                                    .CellSize));
        EXPECT_EQ(rows[level], expected);
    }
}

TEST_F(HelpFacts, FreshSettingsFileExample_IsWhatTheProgramWritesWithoutAFile)
{
    // The example's last section ends at the end of the block; the program adds its blank
    // line after every section.
    EXPECT_EQ(Help.PreText("fresh-settings-file") + "\n", FreshSettingsFile());
}

TEST_F(HelpFacts, SettingsKeyTable_ListsEveryKeyInTheOrderWrittenWithItsDefault)
{
    QStringList written; // "Section Key Default"
    QString section;
    for (const QString &line : FreshSettingsFile().split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith('['))
            section = line.mid(1, line.size() - 2);
        else
            written.append(section + " " + line.section('=', 0, 0) + " " + line.section('=', 1));
    }
    QStringList documented;
    for (const QStringList &row : Help.TableRows("settings-keys")) {
        ASSERT_GE(row.size(), 3);
        documented.append(row[0] + " " + row[1] + " " + row[2]);
    }
    EXPECT_EQ(documented, written);
    EXPECT_EQ(documented.size(), 23);
}

TEST_F(HelpFacts, PanelTable_ListsThePanelsCaptionsFromTopToBottom)
{
    QWidget window;
    StatsPanel panel(&window);
    QList<QLabel *> captions;
    for (QLabel *label : window.findChildren<QLabel *>()) {
        // Captions stand at the panel's left edge between the title and the run times.
        if (label->x() == 784 && label != panel.lblStats && label != panel.lblTimer &&
            label != panel.lblRate)
            captions.append(label);
    }
    std::sort(captions.begin(), captions.end(),
              [](const QLabel *a, const QLabel *b) { return a->y() < b->y(); });
    QStringList shown;
    for (const QLabel *label : captions)
        shown.append(label->text());

    QStringList documented;
    for (const QStringList &row : Help.TableRows("panel-rows"))
        documented.append(row.value(0));
    EXPECT_EQ(documented, shown);
    EXPECT_EQ(documented.size(), 15);
}

TEST_F(HelpFacts, MessagesTable_QuotesTheEngineMessagesAsShown)
{
    const QString text = Help.PlainText();
    const QString missing = EngineLoadMessage(EngineLoad::FileNotFound).replace('\n', ' ');
    EXPECT_TRUE(text.contains(missing)) << missing.toStdString();
    for (EngineLoad failure : {EngineLoad::EntryNotFound, EngineLoad::CreationFailed}) {
        const QString firstLine = EngineLoadMessage(failure).section('\n', 0, 0);
        EXPECT_TRUE(text.contains(firstLine)) << firstLine.toStdString();
    }
}

TEST_F(HelpFacts, SolveOptionTable_NamesExactlyTheOptionsOfKelvaneSolve)
{
    const SolveRun usage = RunSolve({"--help"});
    ASSERT_EQ(usage.ExitCode, 0);
    static const QRegularExpression option(R"((?:^|\s)(--?[a-z][a-z-]*))");
    QStringList offered;
    for (auto match = option.globalMatch(usage.Output); match.hasNext();)
        offered.append(match.next().captured(1));

    QStringList documented;
    for (const QStringList &row : Help.TableRows("solve-options"))
        for (auto match = option.globalMatch(row.value(0)); match.hasNext();)
            documented.append(match.next().captured(1));
    // --help and -h are answered, though the usage text does not list them.
    offered << "--help"
            << "-h";
    offered.sort();
    offered.removeDuplicates();
    documented.sort();
    EXPECT_EQ(documented, offered);
}

TEST_F(HelpFacts, SolveExample_IsWhatKelvaneSolvePrintsForIt)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile input(folder.filePath("position.txt"));
    ASSERT_TRUE(input.open(QIODevice::WriteOnly));
    input.write(Help.PreText("solve-example-input").toUtf8());
    input.close();

    const SolveRun run = RunSolve({input.fileName()});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(WithoutCounts(run.Output).toStdString(),
              WithoutCounts(Help.PreText("solve-example-output")).toStdString());
}

TEST_F(HelpFacts, SolveErrorExample_IsTheReportOfKelvaneSolve)
{
    // The help quotes the report of an unknown character at line 3, column 5.
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile input(folder.filePath("wrong.txt"));
    ASSERT_TRUE(input.open(QIODevice::WriteOnly));
    input.write("9 9 10\n.........\n....x....\n");
    input.close();
    QProcess process;
    process.start(SolvePath, {input.fileName()});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 2);
    const QString report = QString::fromUtf8(process.readAllStandardError()).trimmed();
    ASSERT_FALSE(report.isEmpty());
    EXPECT_TRUE(Help.PlainText().contains(report)) << report.toStdString();
}
