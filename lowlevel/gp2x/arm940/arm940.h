// The second core's program (arm940.S, assembled into arm940_image.inc)
// and the parts of the command queue that both cores must agree on beyond
// the header: the flag word and the two-party lock around the pending count.
//
// Both cores change the pending count, and no instruction of either core
// changes a shared word indivisibly as seen by the other, so each side
// changes it inside Peterson's lock, built from plain word loads and stores.
// That is sound only where those reach memory in program order: the second
// core's program keeps the first 8 KiB of the data area uncached and
// unbuffered; the main core must map the data area uncached (the memory
// device opened with O_SYNC), and the sequentially consistent accesses
// below keep the compiler (and, on a development machine, the processor)
// from reordering them.
#ifndef ARM940_H
#define ARM940_H

#include "lowlevel/zkt_lowLevel.h"

#define ARM940_IMAGE_WORDS 260u

// Offsets in the shared data area (the second core's address 0x100000).
#define ARM940_SLOTS 0x0040u
#define ARM940_HEADER 0x0FE0u
#define ARM940_FLAG 0x1000u      // 1 once the second core has taken a command
#define ARM940_WANT_MAIN 0x1004u // the main core wants the pending count
#define ARM940_WANT_940 0x1008u  // the second core wants it
#define ARM940_TURN 0x100Cu      // who goes first when both want it:
#define ARM940_TURN_MAIN 0u      //   the main core
#define ARM940_TURN_940 1u       //   the second core
#define ARM940_CAPACITY 1000u

// Header words, by index.
enum {
    ARM940_HDR_WRITE,
    ARM940_HDR_READ,
    ARM940_HDR_PENDING,
    ARM940_HDR_CAPACITY,
    ARM940_HDR_SENT,
    ARM940_HDR_PROCESSED,
    ARM940_HDR_WBUF,
    ARM940_HDR_RBUF
};

inline u32 *ARM940_Word(u8 *data, u32 offset) { return (u32 *)(data + offset); }

// Adds delta (1 to post, 0xFFFFFFFF to take) to the pending count of the
// queue in data, as the main core (bSecondCore 0) or as a stand-in for the
// second core. pfnSpin, when given, runs on every turn of the wait (a test
// uses it to let a simulated second core run).
inline void ARM940_ChangePending(u8 *data, u32 bSecondCore, u32 delta, void (*pfnSpin)(void *) = nullptr,
                                 void *pSpinArg = nullptr)
{
    u32 *mine = ARM940_Word(data, bSecondCore ? ARM940_WANT_940 : ARM940_WANT_MAIN);
    u32 *theirs = ARM940_Word(data, bSecondCore ? ARM940_WANT_MAIN : ARM940_WANT_940);
    u32 *turn = ARM940_Word(data, ARM940_TURN);
    u32 other = bSecondCore ? ARM940_TURN_MAIN : ARM940_TURN_940;
    __atomic_store_n(mine, 1u, __ATOMIC_SEQ_CST);
    __atomic_store_n(turn, other, __ATOMIC_SEQ_CST);
    while (__atomic_load_n(theirs, __ATOMIC_SEQ_CST) != 0 && __atomic_load_n(turn, __ATOMIC_SEQ_CST) == other) {
        if (pfnSpin)
            pfnSpin(pSpinArg);
    }
    u32 *pending = ARM940_Word(data, ARM940_HEADER + 4 * ARM940_HDR_PENDING);
    __atomic_store_n(pending, __atomic_load_n(pending, __ATOMIC_SEQ_CST) + delta, __ATOMIC_SEQ_CST);
    __atomic_store_n(mine, 0u, __ATOMIC_SEQ_CST);
}

// Clears the lock; only while the second core is held in reset.
inline void ARM940_ResetLock(u8 *data)
{
    __atomic_store_n(ARM940_Word(data, ARM940_WANT_MAIN), 0u, __ATOMIC_SEQ_CST);
    __atomic_store_n(ARM940_Word(data, ARM940_WANT_940), 0u, __ATOMIC_SEQ_CST);
    __atomic_store_n(ARM940_Word(data, ARM940_TURN), ARM940_TURN_MAIN, __ATOMIC_SEQ_CST);
}

#endif
