// Loading the engine library and creating its object, with the three ways that can fail.
#pragma once

#include "kelvane_engine.h"

#include <QString>

enum class EngineLoad { Loaded, FileNotFound, EntryNotFound, CreationFailed };

struct EngineLibrary {
    void *Handle = nullptr;
    ProbabilityEngine *Engine = nullptr;
};

// Loads exactly `path` (no other file name is tried) and calls its CreateObject, so that
// neither an exception nor a null object gets past this call.
EngineLoad LoadEngineLibrary(const QString &path, EngineLibrary &library);
void UnloadEngineLibrary(EngineLibrary &library);

// The message the player sees for a failure.
QString EngineLoadMessage(EngineLoad result);
