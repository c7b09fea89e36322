/*
 * kelvane_engine.h - the one contract between Kelvane and a probability engine.
 *
 * Plain C, shared by the program and by any engine library (kelvane.so beside the
 * executable). Everything here is called on the program's user-interface thread; there
 * are no other threads, queues or locks.
 *
 * Life of an engine:
 *   1. The program loads the library (dlopen, RTLD_NOW) and calls CreateObject once.
 *      The object is never destroyed; the library is unloaded when the main window goes.
 *   2. At the first showing of the main window the program calls Attach with the game
 *      record and its event sink. Both stay valid until the library is unloaded. The
 *      program may attach the engine again between runs (the no-guess search attaches it
 *      to a scratch record and a silent sink, then attaches the game record back); every
 *      run uses the pointers of the last Attach.
 *   3. For every request the program sets EngineBusy = 1 and HaltRequest = 0, then calls
 *      Calculate synchronously. While it runs the engine reports through the sink; only
 *      ReportProgress lets the program handle input, where Escape sets HaltRequest = 1.
 *
 * No C++ exception may cross this interface in either direction.
 */
#ifndef KELVANE_ENGINE_H
#define KELVANE_ENGINE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Sector arrays are column-major with 32 slots a column: sector (c, r) is c * 32 + r. */
#define KELVANE_COLUMN_SLOTS 32
#define KELVANE_SECTOR_SLOTS 1024
#define KELVANE_SECTOR_INDEX(c, r) ((c)*KELVANE_COLUMN_SLOTS + (r))

/* Values of TGameState.State. */
enum {
    SECTOR_CLOSED = 0,   /* closed, no marker */
    SECTOR_OPEN = 1,     /* opened safe sector; Number holds its neighbouring mines */
    SECTOR_MARKED = 2,   /* closed with the player's mine marker */
    SECTOR_TRIGGERED = 3 /* a mine opened in Trainer Mode: a known mine */
};

/*
 * TGameState - the game record, 16,480 bytes, 16-byte aligned, owned by the program.
 *
 * Writers: the program writes everything except Prob during Calculate. The engine reads
 * the field (SizeX, SizeY, MaxX, MaxY, Mines, MinesLeft, State, Number of Open sectors,
 * FairPlay) and the options (AdvancedMode, DupCheck, CheckingMode, StepDepth), and writes
 * only Prob of the current field's sectors and, to stop itself, HaltRequest.
 * Flags hold exactly 0 or 1. Slots outside SizeX x SizeY are never read.
 */
typedef struct TGameState {
    int32_t Active;       /* 1 while mines are laid and the game runs */
    int32_t Live;         /* 1 from a new game until the game ends */
    int32_t Level;        /* 0 Beginner, 1 Intermediate, 2 Expert, 3 Ultra, 4 Custom */
    int32_t SizeX;        /* columns, 8 to 32 */
    int32_t SizeY;        /* rows, 8 to 25 */
    int32_t MaxX;         /* SizeX - 1 */
    int32_t MaxY;         /* SizeY - 1 */
    int32_t MinesLeft;    /* mines less markers less triggered mines; may be negative */
    int32_t CheckingMode; /* engine option: 0 Minimal, 1 Optimal, 2 Maximal */
    int32_t EngineBusy;   /* set by the program around Calculate */
    int32_t RecalcNeeded; /* 1 when the board changed since the last finished run */
    int32_t AdvancedMode; /* engine option: 0 Simple, 1 Advanced */
    int32_t DupCheck;     /* engine option: group sectors touching the same numbers */
    int32_t HaltRequest;  /* 1 asks a running engine to stop */
    int32_t FairPlay;     /* the four corner sectors never hold a mine */
    int32_t TrainerMode;  /* opening a mine does not end the game */
    int32_t TimedGame;    /* the clock runs and best times are recorded */
    int32_t ProbDisplay;  /* probabilities are shown on closed sectors */
    int32_t StepDepth;    /* engine option: work budget 2^StepDepth, 20 to 30 */
    int32_t SafeLeft;     /* safe sectors not yet opened */
    int32_t Mines;        /* mines laid on the field */
    int32_t Reserved[3];
    int32_t Mined[KELVANE_SECTOR_SLOTS];  /* 1 where a mine lies; never read by an engine */
    int32_t Number[KELVANE_SECTOR_SLOTS]; /* mines in the 3x3 block, the sector included */
    int32_t State[KELVANE_SECTOR_SLOTS];  /* SECTOR_* */
    float Prob[KELVANE_SECTOR_SLOTS];     /* mine probability; negative: none computed */
} TGameState;

typedef struct EngineEvents EngineEvents;
typedef struct ProbabilityEngine ProbabilityEngine;

/*
 * EngineEvents - the program's sink, called by the engine during Calculate only, on the
 * same thread. Every entry takes the sink first (which the program ignores). The order of
 * the table is part of the contract.
 */
typedef struct EngineEventsTable {
    /* 0: fill the sector light yellow in the off-screen board; nothing is presented */
    void (*HighlightSector)(EngineEvents *self, int32_t col, int32_t row);
    /* 1: draw the sector closed with its current Prob; nothing is presented */
    void (*DrawClosedSector)(EngineEvents *self, int32_t col, int32_t row);
    /* 2: engine status "Idle" */
    void (*ShowStatusIdle)(EngineEvents *self);
    /* 3: panel counts: closed sectors next to numbers, open numbers next to closed
     *    sectors, groups (or partial sectors) */
    void (*SetSectorCounts)(EngineEvents *self, int32_t closed, int32_t open, int32_t partial);
    /* 4: present the board, then append " (a)" to each of the three counts */
    void (*AppendSectorCounts)(EngineEvents *self, int32_t closed, int32_t open, int32_t partial);
    /* 5: reset "Max Combinations", "Run", "Combinations" and "Successful" */
    void (*ResetRunCounters)(EngineEvents *self);
    /* 6: "Max Combinations" and the progress bar (percent 0 to 100) */
    void (*SetMaxCombinations)(EngineEvents *self, int32_t total, int32_t percent);
    /* 7: "Run" i of n, "Successful" s (s2), "Combinations" k, progress bar; then the
     *    program handles its pending input (this is where Escape sets HaltRequest) */
    void (*ReportProgress)(EngineEvents *self, int32_t run, int32_t runs, int32_t successful,
                           int32_t successful2, int32_t combinations, int32_t percent);
    /* 8: engine status "Error" */
    void (*ShowStatusError)(EngineEvents *self);
    /* 9: "Halted" (RecalcNeeded = 1) if HaltRequest is set, else "Finished"
     *    (RecalcNeeded = 0); must come before Calculate returns */
    void (*ShowStatusDone)(EngineEvents *self);
    /* 10: copy the off-screen board to the screen */
    void (*RefreshBoard)(EngineEvents *self);
} EngineEventsTable;

struct EngineEvents {
    const EngineEventsTable *vtbl;
};

/* ProbabilityEngine - the engine's object. */
typedef struct ProbabilityEngineTable {
    /* 0: the engine keeps both pointers for its runs until the next Attach */
    void (*Attach)(ProbabilityEngine *self, TGameState *game, EngineEvents *events);
    /* 1: compute Prob for the current field; (col, row) is the sector asked about.
     *    Returns the number of combinations examined. */
    int32_t (*Calculate)(ProbabilityEngine *self, int32_t col, int32_t row);
} ProbabilityEngineTable;

struct ProbabilityEngine {
    const ProbabilityEngineTable *vtbl;
};

/* The library's one entry: returns the engine object, or null on failure. */
typedef ProbabilityEngine *(*CreateObjectFunction)(void);
#define KELVANE_CREATE_OBJECT_ENTRY "CreateObject"

#ifdef __cplusplus
}

static_assert(sizeof(TGameState) == 16480, "TGameState is 16,480 bytes");
static_assert(offsetof(TGameState, Active) == 0);
static_assert(offsetof(TGameState, Live) == 4);
static_assert(offsetof(TGameState, Level) == 8);
static_assert(offsetof(TGameState, SizeX) == 12);
static_assert(offsetof(TGameState, SizeY) == 16);
static_assert(offsetof(TGameState, MaxX) == 20);
static_assert(offsetof(TGameState, MaxY) == 24);
static_assert(offsetof(TGameState, MinesLeft) == 28);
static_assert(offsetof(TGameState, CheckingMode) == 32);
static_assert(offsetof(TGameState, EngineBusy) == 36);
static_assert(offsetof(TGameState, RecalcNeeded) == 40);
static_assert(offsetof(TGameState, AdvancedMode) == 44);
static_assert(offsetof(TGameState, DupCheck) == 48);
static_assert(offsetof(TGameState, HaltRequest) == 52);
static_assert(offsetof(TGameState, FairPlay) == 56);
static_assert(offsetof(TGameState, TrainerMode) == 60);
static_assert(offsetof(TGameState, TimedGame) == 64);
static_assert(offsetof(TGameState, ProbDisplay) == 68);
static_assert(offsetof(TGameState, StepDepth) == 72);
static_assert(offsetof(TGameState, SafeLeft) == 76);
static_assert(offsetof(TGameState, Mines) == 80);
static_assert(offsetof(TGameState, Mined) == 96);
static_assert(offsetof(TGameState, Number) == 4192);
static_assert(offsetof(TGameState, State) == 8288);
static_assert(offsetof(TGameState, Prob) == 12384);
static_assert(sizeof(float) == 4);
static_assert(offsetof(EngineEventsTable, RefreshBoard) == 10 * sizeof(void *));
static_assert(offsetof(ProbabilityEngineTable, Calculate) == 1 * sizeof(void *));
#endif

#endif /* KELVANE_ENGINE_H */
