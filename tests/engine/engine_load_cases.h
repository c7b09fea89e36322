// The ways loading an engine can fail, with the test engine for each and what the player is
// told: shared by the loader's tests and the window's.
#pragma once

#include "engine_loader.h"

// What the player is told for each kind of failure.
inline const char EntryError[] = "Error loading Ordo.dll (DLL entry point not found).\n"
                                 "The Probability Engine will be unavailable.";
inline const char CreationError[] = "Error loading Ordo.dll (object creation error).\n"
                                    "The Probability Engine will be unavailable.";

struct LoadCase {
    const char *Path;
    EngineLoad Expected;
    const char *Message;
};

inline const LoadCase LoadCases[] = {
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
