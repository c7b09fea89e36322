// The library's one exported entry: kelvane.so beside the program.
#include "engine_object.h"

namespace
{

// One object for the life of the library, as the program expects; it goes when the
// program unloads the library.
struct ModuleEngine {
    ProbabilityEngine *Engine = kelvane::solver::NewEngineObject();
    ~ModuleEngine() { kelvane::solver::DeleteEngineObject(Engine); }
};

} // namespace

extern "C" __attribute__((visibility("default"))) ProbabilityEngine *CreateObject(void)
{
    try {
        static ModuleEngine module;
        return module.Engine;
    } catch (...) {
        return nullptr; // nothing may cross the C entry
    }
}
