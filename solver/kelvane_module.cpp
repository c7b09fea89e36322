// The library's one exported entry: kelvane.so beside the program.
#include "engine_object.h"

extern "C" __attribute__((visibility("default"))) ProbabilityEngine *CreateObject(void)
{
    // One object for the life of the library, as the program expects.
    static ProbabilityEngine *const engine = kelvane::solver::NewEngineObject();
    return engine;
}
