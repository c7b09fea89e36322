#include "engine_loader.h"

#include <QFile>

#include <dlfcn.h>

EngineLoad LoadEngineLibrary(const QString &path, EngineLibrary &library)
{
    library = EngineLibrary{};
    if (!QFile::exists(path)) return EngineLoad::FileNotFound;
    library.Handle = dlopen(QFile::encodeName(path).constData(), RTLD_NOW);
    if (library.Handle == nullptr) return EngineLoad::FileNotFound;

    void *entry = dlsym(library.Handle, KELVANE_CREATE_OBJECT_ENTRY);
    if (entry == nullptr) return EngineLoad::EntryNotFound;

    ProbabilityEngine *engine = nullptr;
    try {
        engine = reinterpret_cast<CreateObjectFunction>(entry)();
    } catch (...) {
        engine = nullptr;
    }
    if (engine == nullptr || engine->vtbl == nullptr || engine->vtbl->Attach == nullptr ||
        engine->vtbl->Calculate == nullptr)
        return EngineLoad::CreationFailed;
    library.Engine = engine;
    return EngineLoad::Loaded;
}

void UnloadEngineLibrary(EngineLibrary &library)
{
    if (library.Handle != nullptr) dlclose(library.Handle);
    library = EngineLibrary{};
}

QString EngineLoadMessage(EngineLoad result)
{
    const char *reason = "";
    switch (result) {
    case EngineLoad::Loaded:
        return QString();
    case EngineLoad::FileNotFound:
        reason = "file not found";
        break;
    case EngineLoad::EntryNotFound:
        reason = "DLL entry point not found";
        break;
    case EngineLoad::CreationFailed:
        reason = "object creation error";
        break;
    }
    return QString("Error loading Ordo.dll (%1).\nThe Probability Engine will be unavailable.")
        .arg(reason);
}
