#include "engine_load_cases.h"
#include "engine_loader.h"

#include <gtest/gtest.h>

namespace
{

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

} // namespace
