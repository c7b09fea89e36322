// The engine client on the test engines, without Qt: which check a library fails, what the
// sinks pass on and how one run ends.
#include "engine_client.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>
#include <vector>

namespace
{

TEST(EngineClient, EachFailedCheck_IsToldApart_AndNothingStaysOpen)
{
    const std::pair<const char *, EngineOpen> cases[] = {
        {"/no/such/folder/kelvane.so", EngineOpen::NotLoaded},
        {TEST_ENGINE_NOENTRY, EngineOpen::NoEntry},
        {TEST_ENGINE_MANGLED, EngineOpen::NoEntry},
        {TEST_ENGINE_THROWS, EngineOpen::CreateThrew},
        {TEST_ENGINE_NULL, EngineOpen::NoObject},
        {TEST_ENGINE_NOTABLE, EngineOpen::NoTable},
        {TEST_ENGINE_NOATTACH, EngineOpen::NoAttach},
        {TEST_ENGINE_NOCALC, EngineOpen::NoCalculate},
        {"libc.so.6", EngineOpen::NotLoaded}, // a bare name: the library path is not searched
    };
    for (const auto &[path, expected] : cases) {
        EngineLibraryHandle handle = OpenEngineLibrary(path);
        EXPECT_EQ(handle.Result, expected) << path;
        EXPECT_EQ(handle.Library, nullptr) << path;
        EXPECT_EQ(handle.Engine, nullptr) << path;
        const bool fromDl = expected == EngineOpen::NotLoaded || expected == EngineOpen::NoEntry;
        EXPECT_EQ(handle.Reason.empty(), !fromDl) << path << ": " << handle.Reason;
        if (path[0] == '/') {
            EXPECT_EQ(dlopen(path, RTLD_NOW | RTLD_NOLOAD), nullptr) << path << " stayed loaded";
        }
    }
    EXPECT_NE(OpenEngineLibrary("/no/such/folder/kelvane.so").Reason.find("/no/such/folder"),
              std::string::npos);
}

// Every sink call, as the callbacks saw it.
struct Recorder : EngineCallbacks {
    std::vector<std::string> Calls;
    TGameState *Game = nullptr;
    int32_t HaltAfterReports = -1;
    void Note(const std::string &call) { Calls.push_back(call); }
    static std::string Args(std::initializer_list<int32_t> values)
    {
        std::string text;
        for (int32_t v : values)
            text += " " + std::to_string(v);
        return text;
    }
    void HighlightSector(int32_t c, int32_t r) override { Note("Highlight" + Args({c, r})); }
    void DrawClosedSector(int32_t c, int32_t r) override { Note("Draw" + Args({c, r})); }
    void ShowStatusIdle() override { Note("Idle"); }
    void SetSectorCounts(int32_t a, int32_t b, int32_t c) override
    {
        Note("Counts" + Args({a, b, c}));
    }
    void AppendSectorCounts(int32_t a, int32_t b, int32_t c) override
    {
        Note("Append" + Args({a, b, c}));
    }
    void ResetRunCounters() override { Note("Reset"); }
    void SetMaxCombinations(int32_t t, int32_t p) override { Note("Max" + Args({t, p})); }
    void ReportProgress(int32_t a, int32_t b, int32_t c, int32_t d, int32_t e, int32_t f) override
    {
        Note("Progress" + Args({a, b, c, d, e, f}));
        if (HaltAfterReports >= 0 && a >= HaltAfterReports) Game->HaltRequest = 1;
    }
    void ShowStatusError() override { Note("Error"); }
    void ShowStatusDone() override { Note("Done"); }
    void RefreshBoard() override { Note("Refresh"); }
};

class EngineClientRun : public ::testing::Test
{
  protected:
    EngineLibraryHandle Open(const char *path)
    {
        EngineLibraryHandle handle = OpenEngineLibrary(path);
        EXPECT_EQ(handle.Result, EngineOpen::Opened) << handle.Reason;
        Handles.push_back(handle);
        return handle;
    }
    void TearDown() override
    {
        for (EngineLibraryHandle &handle : Handles)
            CloseEngineLibrary(handle);
    }
    std::vector<EngineLibraryHandle> Handles;
};

TEST_F(EngineClientRun, EverySinkCall_IsForwarded_AndTheLastStatusDecides)
{
    const EngineLibraryHandle handle = Open(TEST_ENGINE_SCRIPTED);
    ASSERT_NE(handle.Engine, nullptr);
    Recorder recorder;
    EngineSession session(*handle.Engine, &recorder);
    TGameState &game = session.Game();
    EXPECT_EQ(reinterpret_cast<uintptr_t>(&game) % 16, 0u);
    game.SizeX = game.SizeY = 8;
    SetEngineOptions(game, {false, false, 2, 21});
    EXPECT_EQ(game.AdvancedMode, 0);
    EXPECT_EQ(game.DupCheck, 0);
    EXPECT_EQ(game.CheckingMode, 2);
    EXPECT_EQ(game.StepDepth, 21);
    session.Attach();
    game.HaltRequest = 1; // a stale request is cleared before the run
    const RunResult run = session.Run(3, 4);
    EXPECT_EQ(run.End, RunEnd::Finished); // "error" then "done": the last one counts
    EXPECT_EQ(game.RecalcNeeded, 0);
    EXPECT_EQ(game.EngineBusy, 0);
    const std::vector<std::string> expected = {
        "Idle",         "Counts 5 4 3", "Highlight 3 4",
        "Draw 3 4",     "Append 3 2 1", "Append 2 2 2",
        "Reset",        "Max 1000 0",   "Progress 1 2 3 4 500 50",
        "Max 1000 100", "Refresh",      "Error",
        "Done"};
    EXPECT_EQ(recorder.Calls, expected);
}

TEST_F(EngineClientRun, AHaltFromTheCallbacks_EndsHalted_AndASilentSinkTellsTheEnd)
{
    const EngineLibraryHandle handle = Open(TEST_ENGINE_HALTING);
    ASSERT_NE(handle.Engine, nullptr);
    Recorder recorder;
    EngineSession session(*handle.Engine, &recorder);
    recorder.Game = &session.Game();
    recorder.HaltAfterReports = 3;
    session.Attach();
    RunResult run = session.Run(0, 0);
    EXPECT_EQ(run.End, RunEnd::Halted);
    EXPECT_EQ(run.Combinations, 3);
    EXPECT_EQ(session.Game().RecalcNeeded, 1);
    EXPECT_EQ(session.Game().HaltRequest, 0);

    // The hostile engine's run without a status is a failure, through the silent sink.
    const EngineLibraryHandle hostile = Open(TEST_ENGINE_HOSTILE);
    ASSERT_NE(hostile.Engine, nullptr);
    using SetFault = void (*)(int32_t);
    auto setFault = reinterpret_cast<SetFault>(dlsym(hostile.Library, "TestEngineSetFault"));
    ASSERT_NE(setFault, nullptr);
    setFault(4);
    EngineSession quiet(*hostile.Engine);
    quiet.Game().SizeX = quiet.Game().SizeY = 8;
    quiet.Attach();
    run = quiet.Run(1, 1);
    EXPECT_EQ(run.End, RunEnd::Failed);
    EXPECT_EQ(quiet.Game().RecalcNeeded, 1);
}

} // namespace
