// The library's one exported entry: kelvane.so beside the program.
#include "engine_object.h"

extern "C" __attribute__((visibility("default"))) ProbabilityEngine *CreateObject(void)
{
    return kelvane::solver::NewEngineObject();
}
