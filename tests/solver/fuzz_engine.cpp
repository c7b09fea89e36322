// libFuzzer target: the engine object fed arbitrary game records through its C table.
// Whatever the record, a run must end with exactly one status, touch no sector slot outside
// the field, leave open sectors alone and write only probabilities in [0, 1].
#include "engine_object.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

namespace
{

struct Bytes {
    const uint8_t *Data;
    size_t Size;
    uint8_t Next()
    {
        if (Size == 0) return 0;
        --Size;
        return *Data++;
    }
    int32_t Word()
    {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i)
            v = v << 8 | Next();
        return static_cast<int32_t>(v);
    }
};

struct Sink {
    EngineEvents Base;
    TGameState *Game;
    int32_t Statuses = 0;
};

Sink &Of(EngineEvents *self)
{
    return *reinterpret_cast<Sink *>(self);
}

int32_t Less1(int32_t v)
{
    return static_cast<int32_t>(static_cast<uint32_t>(v) - 1u);
}

void Check(bool ok)
{
    if (!ok) __builtin_trap();
}

void InField(EngineEvents *self, int32_t c, int32_t r)
{
    const TGameState &g = *Of(self).Game;
    Check(c >= 0 && r >= 0 && c < g.SizeX && r < g.SizeY && c < 32 && r < 32);
    Check(Of(self).Statuses == 0);
}

const EngineEventsTable Table = {
    InField,
    InField,
    [](EngineEvents *) {},
    [](EngineEvents *, int32_t a, int32_t b, int32_t p) { Check(a >= 0 && b >= 0 && p >= 0); },
    [](EngineEvents *, int32_t a, int32_t b, int32_t p) { Check(a >= 0 && b >= 0 && p >= 0); },
    [](EngineEvents *) {},
    [](EngineEvents *, int32_t total, int32_t) { Check(total > 0); },
    [](EngineEvents *, int32_t, int32_t, int32_t, int32_t, int32_t k, int32_t percent) {
        Check(k >= 0 && percent >= 0 && percent <= 100);
    },
    [](EngineEvents *self) { ++Of(self).Statuses; },
    [](EngineEvents *self) { ++Of(self).Statuses; },
    [](EngineEvents *) {},
};

struct alignas(16) Record {
    TGameState Game;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static ProbabilityEngine *engine = kelvane::solver::NewEngineObject();
    static auto record = std::make_unique<Record>();
    static Sink sink{{&Table}, &record->Game};
    static bool attached = false;
    if (!attached) {
        engine->vtbl->Attach(engine, &record->Game, &sink.Base);
        attached = true;
    }
    TGameState &g = record->Game;
    std::memset(&g, 0, sizeof g);
    Bytes in{data, size};

    // Mostly plausible sizes, sometimes anything at all.
    const uint8_t shape = in.Next();
    g.SizeX = shape & 1 ? in.Word() : 1 + in.Next() % 32;
    g.SizeY = shape & 2 ? in.Word() : 1 + in.Next() % 32;
    g.MaxX = shape & 4 ? in.Word() : Less1(g.SizeX);
    g.MaxY = shape & 8 ? in.Word() : Less1(g.SizeY);
    const uint8_t options = in.Next();
    g.AdvancedMode = options & 1;
    g.DupCheck = options >> 1 & 1;
    g.CheckingMode = options >> 2 & 3; // 3: out of range
    g.FairPlay = options >> 4 & 1;
    g.StepDepth = 20 + (options >> 5 & 1);
    const bool consistent = options & 0x80;
    const int32_t w = std::min(std::max(g.SizeX, 0), 32), h = std::min(std::max(g.SizeY, 0), 32);
    g.Mines = shape & 16 ? in.Word() : in.Next() % (w * h + 2);

    // The field: states and numbers from the bytes; with `consistent`, numbers that agree
    // with a layout of mines drawn from the bytes, so that the runs go deep.
    int32_t mined[32][32] = {};
    for (int32_t c = 0; c < w; ++c)
        for (int32_t r = 0; r < h; ++r) {
            const uint8_t b = in.Next();
            mined[c][r] = consistent ? (b >> 6) == 3 : 0;
            const int32_t slot = KELVANE_SECTOR_INDEX(c, r);
            g.State[slot] = consistent    ? (mined[c][r]    ? (b & 1 ? 2 : 0)
                                             : (b & 3) == 0 ? 0
                                                            : 1)
                            : (b & 7) < 5 ? (b & 7) % 4
                                          : b - 3;
            g.Number[slot] = (b >> 3) % 10;
        }
    if (consistent) {
        int32_t mines = 0;
        for (int32_t c = 0; c < w; ++c)
            for (int32_t r = 0; r < h; ++r) {
                mines += mined[c][r];
                int32_t n = 0;
                for (int32_t dc = -1; dc <= 1; ++dc)
                    for (int32_t dr = -1; dr <= 1; ++dr)
                        if (c + dc >= 0 && c + dc < w && r + dr >= 0 && r + dr < h)
                            n += mined[c + dc][r + dr];
                g.Number[KELVANE_SECTOR_INDEX(c, r)] = n;
            }
        if (!(shape & 16)) g.Mines = mines;
    }
    for (int32_t slot = 0; slot < KELVANE_SECTOR_SLOTS; ++slot) {
        g.Prob[slot] = 7.0f;
        g.Mined[slot] = in.Next();
    }

    g.EngineBusy = 1;
    static Record before;
    std::memcpy(&before.Game, &g, sizeof g);
    sink.Statuses = 0;
    engine->vtbl->Calculate(engine, 0, 0);
    Check(sink.Statuses == 1);

    const bool fieldValid = g.SizeX >= 1 && g.SizeX <= 32 && g.SizeY >= 1 && g.SizeY <= 32 &&
                            g.MaxX == Less1(g.SizeX) && g.MaxY == Less1(g.SizeY);
    for (int32_t slot = 0; slot < KELVANE_SECTOR_SLOTS; ++slot) {
        const int32_t c = slot / 32, r = slot % 32;
        const bool inside = fieldValid && c < g.SizeX && r < g.SizeY;
        const bool writable = inside && (g.State[slot] == 0 || g.State[slot] == 2);
        if (!writable)
            Check(std::memcmp(&g.Prob[slot], &before.Game.Prob[slot], 4) == 0);
        else
            Check(g.Prob[slot] == 7.0f || (g.Prob[slot] >= 0.0f && g.Prob[slot] <= 1.0f));
    }
    // Nothing but Prob and the halt flag may change.
    g.HaltRequest = before.Game.HaltRequest;
    Check(std::memcmp(&g, &before.Game, offsetof(TGameState, Prob)) == 0);
    return 0;
}
