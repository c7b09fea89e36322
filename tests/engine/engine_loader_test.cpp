#include "engine_loader.h"
#include "main_window_fixture.h"

namespace
{

// What the player is told for each kind of failure.
const char EntryError[] = "Error loading Ordo.dll (DLL entry point not found).\n"
                          "The Probability Engine will be unavailable.";
const char CreationError[] = "Error loading Ordo.dll (object creation error).\n"
                             "The Probability Engine will be unavailable.";

struct LoadCase {
    const char *Path;
    EngineLoad Expected;
    const char *Message;
};

const LoadCase LoadCases[] = {
    {"/no/such/folder/kelvane.so", EngineLoad::FileNotFound,
     "Error loading Ordo.dll (file not found).\nThe Probability Engine will be unavailable."},
    {TEST_ENGINE_NOENTRY, EngineLoad::EntryNotFound, EntryError},
    {TEST_ENGINE_NULL, EngineLoad::CreationFailed, CreationError},
    {TEST_ENGINE_THROWS, EngineLoad::CreationFailed, CreationError},
    // A table the program could not call through: the first run would jump to nowhere.
    {TEST_ENGINE_NOCALC, EngineLoad::CreationFailed, CreationError},
    {TEST_ENGINE_NOATTACH, EngineLoad::CreationFailed, CreationError},
    {TEST_ENGINE_NOTABLE, EngineLoad::CreationFailed, CreationError},
    // The entry under its C++ name is not the entry.
    {TEST_ENGINE_MANGLED, EngineLoad::EntryNotFound, EntryError},
    // A library that needs a symbol no library has cannot be loaded at all.
    {TEST_ENGINE_UNRESOLVED, EngineLoad::FileNotFound,
     "Error loading Ordo.dll (file not found).\nThe Probability Engine will be unavailable."},
};

TEST(EngineLoader, EachFailure_IsToldApart)
{
    for (const LoadCase &load : LoadCases) {
        EngineLibrary library;
        EXPECT_EQ(LoadEngineLibrary(load.Path, library), load.Expected) << load.Path;
        EXPECT_EQ(library.Engine, nullptr);
        EXPECT_EQ(EngineLoadMessage(load.Expected), load.Message);
        UnloadEngineLibrary(library);
    }
}

TEST(EngineLoader, AWorkingEngine_Loads)
{
    EngineLibrary library;
    ASSERT_EQ(LoadEngineLibrary(TEST_ENGINE_SCRIPTED, library), EngineLoad::Loaded);
    EXPECT_NE(library.Engine, nullptr);
    UnloadEngineLibrary(library);
    EXPECT_EQ(library.Handle, nullptr);
}

TEST(EngineLoader, OnlyTheExactFileIsTried)
{
    // "libkelvane_test_engine_scripted.so" would be found by a loader that tries prefixes.
    const QString path = QString(TEST_ENGINE_SCRIPTED).replace("kelvane_test_engine_", "");
    EngineLibrary library;
    EXPECT_EQ(LoadEngineLibrary(path, library), EngineLoad::FileNotFound);
}

TEST_F(MainWindowTest, EveryLoadFailure_IsReported_AndTheGamePlaysWithoutProbabilities)
{
    for (const LoadCase &load : LoadCases) {
        Errors.clear();
        Open(load.Path);
        ASSERT_EQ(Errors.size(), 1) << load.Path;
        EXPECT_EQ(Errors[0], load.Message);
        EXPECT_EQ(Game().ProbDisplay, 0);
        Window->MaxScale = 0;
        Window->ChooseLevel(0);
        Click(Qt::LeftButton, 3, 3);
        EXPECT_EQ(Game().Active, 1);
        int32_t c, r;
        ASSERT_TRUE(Find(SECTOR_CLOSED, false, c, r));
        Click(Qt::MiddleButton, c, r); // no engine: no calculation
        EXPECT_EQ(Window->Stats->lblStatus->text(), "Idle");
        Window.reset();
    }
}

} // namespace
