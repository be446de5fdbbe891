// Second-core command channel, desktop: an SDL thread stands in for the
// ARM940T and works through the ring buffer at the real core's pace.
//
// The queue has one writer per side and no lock: the main thread owns
// ulWriteIndex and ulSentCount, the thread owns ulReadIndex; ulPending and
// ulProcessedCount are atomics. A slot is written before ulPending grows
// (release) and read before it shrinks, so neither side sees a stale slot.
#include <SDL.h>
#include <SDL_thread.h>

#include <thread>

#include "lowlevel/desktop/main940t.h"
#include "lowlevel/desktop/zkt_lowLevelWin.h"

std::atomic<u32> g_ulArm940CmdPauseMs{5};

#define ARM940_POLL_MS 2

static std::atomic<u32> s_bArm940Stop{0};

#ifdef __EMSCRIPTEN__
// The page has no threads to spare: the second core works through the
// queue in step, on the main thread, whenever a command is sent or waited
// for. Order, counts and the queue's indices follow the threaded channel.
static u32 s_bInStepRunning = 0;

static void Arm940Drain()
{
    DualCoreItemHdr *q = &g_dualCoreItemHdr;
    while (s_bInStepRunning && q->ulPending.load() != 0) {
        ZKT_Arm940T_Main(q->pReadBuffer[q->ulReadIndex]);
        if (++q->ulReadIndex >= q->ulCapacity)
            q->ulReadIndex = 0;
        q->ulProcessedCount.fetch_add(1);
        q->ulPending.fetch_sub(1);
    }
}
#endif

void ZKT_DualCoreResetQueue()
{
    DualCoreItemHdr *q = &g_dualCoreItemHdr;
    q->ulWriteIndex = 0;
    q->ulReadIndex = 0;
    q->ulPending.store(0);
    q->ulCapacity = ZKT_DUALCORE_CAPACITY;
    q->ulSentCount = 0;
    q->ulProcessedCount.store(0);
    q->pWriteBuffer = g_ulDualCoreMsg;
    q->pReadBuffer = g_ulDualCoreMsg;
}

static int Arm940Thread(void *)
{
    DualCoreItemHdr *q = &g_dualCoreItemHdr;
    while (!s_bArm940Stop.load(std::memory_order_acquire)) {
        if (q->ulPending.load(std::memory_order_acquire) == 0) {
            SDL_Delay(ARM940_POLL_MS);
            continue;
        }
        ZKT_Arm940T_Main(q->pReadBuffer[q->ulReadIndex]);
        if (++q->ulReadIndex >= q->ulCapacity)
            q->ulReadIndex = 0;
        // Counted as done before it leaves the pending count, so that once
        // ZKT_WaitArm940T returns the processed count already includes it.
        q->ulProcessedCount.fetch_add(1, std::memory_order_release);
        q->ulPending.fetch_sub(1, std::memory_order_acq_rel);
        u32 pause = g_ulArm940CmdPauseMs.load(std::memory_order_relaxed);
        if (pause)
            SDL_Delay(pause);
    }
    return 0;
}

u32 ZKT_DualCoreStart()
{
#ifdef __EMSCRIPTEN__
    s_bInStepRunning = 1;
    Arm940Drain();
    return ZKT_OK;
#endif
    if (g_ThreadId)
        ZKT_DualCoreStop();
    s_bArm940Stop.store(0, std::memory_order_release);
    g_ThreadId = SDL_CreateThread(Arm940Thread, nullptr);
    return g_ThreadId ? ZKT_OK : ZKT_ERR_INIT;
}

u32 ZKT_DualCoreStop()
{
#ifdef __EMSCRIPTEN__
    s_bInStepRunning = 0;
    return ZKT_OK;
#endif
    if (g_ThreadId) {
        // Cooperative: the thread finishes the command it is on, so no
        // queue update is cut short.
        s_bArm940Stop.store(1, std::memory_order_release);
        SDL_WaitThread(g_ThreadId, nullptr);
        g_ThreadId = nullptr;
    }
    return ZKT_OK;
}

u32 ZKT_DualCorePause(u32)
{
    return ZKT_ERR_NOT_AVAILABLE;
}

u32 ZKT_DualCoreSendCmd(u32 command)
{
    DualCoreItemHdr *q = &g_dualCoreItemHdr;
    // A queue that was never reset has no slots; waiting would never end.
    if (!q->pWriteBuffer || q->ulCapacity == 0)
        return ZKT_ERR_INIT;
#ifdef __EMSCRIPTEN__
    // A full queue with no core to empty it would hang the page for good.
    if (q->ulPending.load() >= q->ulCapacity)
        return ZKT_ERR_INIT;
#endif
    while (q->ulPending.load(std::memory_order_acquire) >= q->ulCapacity)
        std::this_thread::yield();
    q->pWriteBuffer[q->ulWriteIndex] = command;
    if (++q->ulWriteIndex >= q->ulCapacity)
        q->ulWriteIndex = 0;
    q->ulPending.fetch_add(1, std::memory_order_release);
    q->ulSentCount++;
#ifdef __EMSCRIPTEN__
    Arm940Drain();
#endif
    return ZKT_OK;
}

u32 ZKT_WaitArm940T()
{
#ifdef __EMSCRIPTEN__
    // Nothing else would ever empty the queue of a stopped core.
    Arm940Drain();
    if (!s_bInStepRunning)
        return ZKT_OK;
#endif
    while (g_dualCoreItemHdr.ulPending.load(std::memory_order_acquire) != 0)
        std::this_thread::yield();
    return ZKT_OK;
}

u32 ZKT_DualCoreGetSendCmdCount(u32 *pCount)
{
    *pCount = g_dualCoreItemHdr.ulSentCount;
    return ZKT_OK;
}

u32 ZKT_DualCoreGetCmdProcessedCount(u32 *pCount)
{
    *pCount = g_dualCoreItemHdr.ulProcessedCount.load(std::memory_order_acquire);
    return ZKT_OK;
}
