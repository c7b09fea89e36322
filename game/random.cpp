#include "random.h"

#include <chrono>

void Random::SeedFromClock()
{
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    const auto sinceMidnight = duration_cast<milliseconds>(now) % days(1);
    State = static_cast<uint32_t>(sinceMidnight.count());
}
