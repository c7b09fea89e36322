#include "engine_loader.h"

#include "engine_client.h"

#include <QFile>

EngineLoad LoadEngineLibrary(const QString &path, EngineLibrary &library)
{
    library = EngineLibrary{};
    const EngineLibraryHandle opened = OpenEngineLibrary(QFile::encodeName(path).toStdString());
    switch (opened.Result) {
    case EngineOpen::Opened:
        library.Handle = opened.Library;
        library.Engine = opened.Engine;
        return EngineLoad::Loaded;
    case EngineOpen::NotLoaded:
        return EngineLoad::FileNotFound;
    case EngineOpen::NoEntry:
        return EngineLoad::EntryNotFound;
    default:
        return EngineLoad::CreationFailed;
    }
}

void UnloadEngineLibrary(EngineLibrary &library)
{
    EngineLibraryHandle handle;
    handle.Library = library.Handle;
    CloseEngineLibrary(handle);
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
