// A main window on the offscreen platform with its files in a temporary folder, a fake
// clock, and the player's answers scripted.
#pragma once

#include "best_dialog.h"
#include "locale_time.h"
#include "main_window.h"
#include "settings_dialog.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

class MainWindowTest : public ::testing::Test
{
  protected:
    QTemporaryDir Folder;
    QStringList Errors;
    QStringList Prompts;
    QString NameToEnter = "Tester";
    bool CancelName = false;
    uint32_t Now = 1000;
    QString HistoryFile; // none kept unless a test names one
    std::unique_ptr<TfrmMain> Window;

    void SetUp() override { QTestPrivate::qtestMouseButtons = Qt::NoButton; }

    MainWindowOptions Options(const QString &engine = "no-such-engine.so")
    {
        MainWindowOptions options;
        options.SettingsFile = Folder.filePath("kelvane.ini");
        options.EngineLibrary = engine;
        options.ShowError = [this](const QString &text) { Errors << text; };
        options.AskName = [this](const QString &prompt, QString &name) {
            Prompts << prompt;
            if (CancelName) return false;
            name = NameToEnter;
            return true;
        };
        options.Clock = [this] { return Now; };
        options.HistoryFile = HistoryFile;
        return options;
    }

    void Open(const QString &engine = "no-such-engine.so")
    {
        Window = std::make_unique<TfrmMain>(Options(engine));
        Window->show();
    }

    // Opens a window on a level at 24-pixel sectors with a fixed mine layout.
    void OpenOnLevel(int32_t level, uint32_t seed = 1, const QString &engine = "no-such-engine.so")
    {
        Open(engine);
        Window->MaxScale = 0;
        Window->ChooseLevel(level);
        Window->Rng.Seed(seed);
    }

    TGameState &Game() { return Window->Game(); }
    int32_t State(int32_t c, int32_t r) { return Game().State[KELVANE_SECTOR_INDEX(c, r)]; }
    bool Mined(int32_t c, int32_t r) { return Game().Mined[KELVANE_SECTOR_INDEX(c, r)] != 0; }

    // The centre of a sector in board-area pixels.
    QPoint At(int32_t c, int32_t r)
    {
        const FieldGeometry &g = Window->Board.Geometry;
        return {g.FieldLeft + c * g.CellSize + g.CellSize / 2,
                g.FieldTop + r * g.CellSize + g.CellSize / 2};
    }
    void Press(Qt::MouseButton button, int32_t c, int32_t r)
    {
        QTest::mousePress(Window->pbImage, button, {}, At(c, r));
    }
    void Release(Qt::MouseButton button, int32_t c, int32_t r)
    {
        QTest::mouseRelease(Window->pbImage, button, {}, At(c, r));
    }
    void Click(Qt::MouseButton button, int32_t c, int32_t r)
    {
        Press(button, c, r);
        Release(button, c, r);
    }
    void DoubleClick(Qt::MouseButton button, int32_t c, int32_t r)
    {
        QTest::mouseDClick(Window->pbImage, button, {}, At(c, r));
        QTestPrivate::qtestMouseButtons = Qt::NoButton;
    }

    bool FaceIs(const QImage &face) { return Window->imgNew->pixmap().toImage() == face; }

    // Finds a sector in the given state that holds (or does not hold) a mine.
    bool Find(int32_t state, bool mined, int32_t &c, int32_t &r, bool wantNumber = false)
    {
        for (c = 0; c < Game().SizeX; ++c)
            for (r = 0; r < Game().SizeY; ++r)
                if (State(c, r) == state && Mined(c, r) == mined &&
                    (!wantNumber || Game().Number[KELVANE_SECTOR_INDEX(c, r)] > 0))
                    return true;
        return false;
    }

    // Finds a closed safe sector away from the edges whose number is 1, and the mine beside it.
    bool FindNumberOne(int32_t &c, int32_t &r, int32_t &mc, int32_t &mr)
    {
        for (c = 1; c < Game().SizeX - 1; ++c)
            for (r = 1; r < Game().SizeY - 1; ++r) {
                if (State(c, r) != SECTOR_CLOSED || Mined(c, r) ||
                    Game().Number[KELVANE_SECTOR_INDEX(c, r)] != 1)
                    continue;
                for (mc = c - 1; mc <= c + 1; ++mc)
                    for (mr = r - 1; mr <= r + 1; ++mr)
                        if (Mined(mc, mr)) return true;
            }
        return false;
    }

    // Opens every safe sector with left presses, the last one last.
    void OpenAllSafe()
    {
        for (int32_t c = 0; c < Game().SizeX; ++c)
            for (int32_t r = 0; r < Game().SizeY; ++r)
                if (!Mined(c, r) && State(c, r) == SECTOR_CLOSED && Game().Live)
                    Click(Qt::LeftButton, c, r);
    }
};
