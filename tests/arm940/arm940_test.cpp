// The second core's program on an emulated core, while the main side
// posts commands the way the handheld back end does.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "core940.h"

namespace {

const u32 MEM_SIZE = 0x200000;

// The main side, as the back end does it: the queue set up while the core
// is in reset, and one post.
void QueueInit(u8 *data)
{
    std::memset(data + ARM940_SLOTS, 0, ARM940_CAPACITY * 4);
    u32 *h = Header(data);
    h[ARM940_HDR_WRITE] = 0;
    h[ARM940_HDR_READ] = 0;
    h[ARM940_HDR_PENDING] = 0;
    h[ARM940_HDR_CAPACITY] = ARM940_CAPACITY;
    h[ARM940_HDR_SENT] = 0;
    h[ARM940_HDR_PROCESSED] = 0;
    h[ARM940_HDR_WBUF] = 0; // the main core's own mapping; unused by the second core
    h[ARM940_HDR_RBUF] = DATA + ARM940_SLOTS;
    *ARM940_Word(data, ARM940_FLAG) = 0;
    ARM940_ResetLock(data);
}

void Post(u8 *data, u32 command, void (*pfnSpin)(void *), void *arg)
{
    u32 *h = Header(data);
    u32 capacity = h[ARM940_HDR_CAPACITY];
    while (Hdr(data, ARM940_HDR_PENDING) >= capacity) {
        if (pfnSpin)
            pfnSpin(arg);
    }
    u32 w = h[ARM940_HDR_WRITE];
    __atomic_store_n(ARM940_Word(data, ARM940_SLOTS + 4 * w), command, __ATOMIC_SEQ_CST);
    h[ARM940_HDR_WRITE] = w + 1 >= capacity ? 0 : w + 1;
    ARM940_ChangePending(data, 0, 1, pfnSpin, arg);
    h[ARM940_HDR_SENT]++;
}

// Address of the instruction after the second core loads the pending count
// to decrement it (inside its half of the lock).
u32 DecrementAddress()
{
    for (u32 i = 0; i + 1 < ARM940_IMAGE_WORDS; i++)
        if (s_ulImage[i] == OP_LDR_PENDING && s_ulImage[i + 1] == OP_SUB_ONE)
            return 4 * (i + 1);
    return 0;
}

struct Arm940Core : ::testing::Test {
    u8 *pMem = nullptr;
    Core940 core{};
    void SetUp() override
    {
        pMem = (u8 *)std::aligned_alloc(4096, MEM_SIZE);
        ASSERT_NE(pMem, nullptr);
        std::memset(pMem, 0xA5, MEM_SIZE); // nothing may rely on cleared memory
        QueueInit(pMem + DATA);
        std::memcpy(pMem, s_ulImage, sizeof s_ulImage);
        CoreOpen(&core, pMem, MEM_SIZE);
    }
    void TearDown() override
    {
        CoreClose(&core);
        std::free(pMem);
    }
    u8 *Data() { return pMem + DATA; }
    // Steps until the core has worked through everything posted (bounded).
    bool Busy() { return Hdr(Data(), ARM940_HDR_PROCESSED) != Hdr(Data(), ARM940_HDR_SENT); }
    void Drain(uint64_t maxSteps)
    {
        for (uint64_t n = 0; n < maxSteps && Busy(); n += 64)
            ASSERT_TRUE(CoreStep(&core, 64));
    }
    void ExpectTakenInOrder(u32 count)
    {
        ASSERT_EQ(core.taken.size(), count);
        for (u32 i = 0; i < count; i++) {
            ASSERT_EQ(core.taken[i].ulSlot, i % ARM940_CAPACITY) << "command " << i;
            ASSERT_EQ(core.taken[i].ulCommand, Command(i)) << "command " << i;
        }
    }
};

TEST(Arm940Image, StartsWithTheVectorsAndParksOnExceptions)
{
    // Eight branches; every vector but reset leads to a loop of its own.
    std::vector<u32> parks;
    for (u32 v = 0; v < 8; v++) {
        u32 op = s_ulImage[v];
        ASSERT_EQ(op >> 24, 0xEAu) << "vector " << v;
        u32 target = v * 4 + 8 + (u32)((s32)(op << 8) >> 6);
        ASSERT_LT(target, sizeof s_ulImage);
        if (v == 0) {
            EXPECT_NE(s_ulImage[target / 4], OP_B_SELF);
            continue;
        }
        EXPECT_EQ(s_ulImage[target / 4], OP_B_SELF) << "vector " << v;
        for (u32 p : parks)
            EXPECT_NE(p, target) << "vector " << v << " shares a loop";
        parks.push_back(target);
    }
    EXPECT_NE(DecrementAddress(), 0u);
}

TEST_F(Arm940Core, StartUpSetsStackModeRegionsAndCaches)
{
    CoreBoot(&core);
    u32 sp = 0, cpsr = 0;
    uc_reg_read(core.pUc, UC_ARM_REG_SP, &sp);
    uc_reg_read(core.pUc, UC_ARM_REG_CPSR, &cpsr);
    EXPECT_EQ(sp, 0xFFFFCu);
    EXPECT_EQ(cpsr & 0xFFu, 0xD3u); // supervisor, IRQ and FIQ off
    EXPECT_GE(CorePC(&core), 0x40u) << "parked on an exception";
    EXPECT_LT(CorePC(&core), sizeof s_ulImage);

    ExpectRegionsAndCaches(&core);

    // Idle: nothing taken, nothing changed.
    ASSERT_TRUE(CoreStep(&core, 5000));
    EXPECT_TRUE(core.taken.empty());
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_PROCESSED), 0u);
    EXPECT_EQ(*ARM940_Word(Data(), ARM940_FLAG), 0u);
    EXPECT_EQ(*ARM940_Word(Data(), ARM940_WANT_940), 0u);
}

TEST_F(Arm940Core, ServesAThousandCommandsPostedBetweenSteps)
{
    CoreBoot(&core);
    u32 seed = 12345;
    for (u32 i = 0; i < 1000; i++) {
        Post(Data(), Command(i), SpinStep, &core);
        seed = seed * 1103515245u + 12345u;
        ASSERT_TRUE(CoreStep(&core, (seed >> 16) % 40));
    }
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_SENT), 1000u);
    Drain(200000);
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_PENDING), 0u);
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_PROCESSED), 1000u);
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_READ), 0u); // wrapped at the capacity
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_WRITE), 0u);
    EXPECT_EQ(*ARM940_Word(Data(), ARM940_FLAG), 1u);
    ExpectTakenInOrder(1000);
    // Bytes past the header the program has no business with stay as they were.
    EXPECT_EQ(*ARM940_Word(Data(), 0x1010), 0xA5A5A5A5u);
    EXPECT_EQ(*ARM940_Word(Data(), 0x1024), 0xA5A5A5A5u);
}

TEST_F(Arm940Core, MainCoreWaitsWhileTheSecondCoreHoldsTheCount)
{
    CoreBoot(&core);
    u32 at = DecrementAddress();
    Post(Data(), Command(0), nullptr, nullptr);
    // Stop the core between its load of the count and its store.
    for (u32 n = 0; n < 1000 && CorePC(&core) != at; n++)
        ASSERT_TRUE(CoreStep(&core, 1));
    ASSERT_EQ(CorePC(&core), at);
    ASSERT_EQ(*ARM940_Word(Data(), ARM940_WANT_940), 1u);

    u32 spins = 0;
    auto spin = [](void *arg) {
        auto *p = (std::pair<Core940 *, u32 *> *)arg;
        ++*p->second;
        CoreStep(p->first, 1);
    };
    std::pair<Core940 *, u32 *> arg(&core, &spins);
    Post(Data(), Command(1), spin, &arg);
    EXPECT_GT(spins, 0u);
    // 1 - 1 + 1: neither change lost.
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_PENDING), 1u);
    Drain(10000);
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_PENDING), 0u);
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_PROCESSED), 2u);
    ExpectTakenInOrder(2);
}

TEST_F(Arm940Core, SecondCoreWaitsWhileTheMainCoreHoldsTheCount)
{
    CoreBoot(&core);
    // The main core has posted one command and is inside its half of the
    // lock for a second one.
    Post(Data(), Command(0), nullptr, nullptr);
    __atomic_store_n(ARM940_Word(Data(), ARM940_SLOTS + 4), Command(1), __ATOMIC_SEQ_CST);
    Header(Data())[ARM940_HDR_WRITE] = 2;
    __atomic_store_n(ARM940_Word(Data(), ARM940_WANT_MAIN), 1u, __ATOMIC_SEQ_CST);
    __atomic_store_n(ARM940_Word(Data(), ARM940_TURN), ARM940_TURN_940, __ATOMIC_SEQ_CST);
    u32 seen = Hdr(Data(), ARM940_HDR_PENDING);

    ASSERT_TRUE(CoreStep(&core, 3000));
    EXPECT_EQ(core.taken.size(), 1u);
    EXPECT_EQ(*ARM940_Word(Data(), ARM940_FLAG), 1u);
    EXPECT_EQ(*ARM940_Word(Data(), ARM940_WANT_940), 1u);
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_PENDING), 1u) << "count changed under the main core";
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_PROCESSED), 0u);

    // The main core finishes its change and leaves.
    __atomic_store_n(&Header(Data())[ARM940_HDR_PENDING], seen + 1, __ATOMIC_SEQ_CST);
    __atomic_store_n(ARM940_Word(Data(), ARM940_WANT_MAIN), 0u, __ATOMIC_SEQ_CST);
    Drain(10000);
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_PENDING), 0u);
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_PROCESSED), 2u);
    ExpectTakenInOrder(2);
}

TEST_F(Arm940Core, RestartLeavesNoStaleClaimOnTheCount)
{
    CoreBoot(&core);
    Post(Data(), Command(0), nullptr, nullptr);
    u32 at = DecrementAddress();
    for (u32 n = 0; n < 1000 && CorePC(&core) != at; n++)
        ASSERT_TRUE(CoreStep(&core, 1));
    ASSERT_EQ(*ARM940_Word(Data(), ARM940_WANT_940), 1u);
    // Reset caught the core inside its half of the lock; it restarts from 0.
    u32 pc = 0;
    uc_reg_write(core.pUc, UC_ARM_REG_PC, &pc);
    ASSERT_TRUE(CoreStep(&core, 300));
    EXPECT_EQ(*ARM940_Word(Data(), ARM940_WANT_940), 0u);
}

// Both sides at full speed on two host threads: the core runs in a thread
// of its own while the main thread posts, the 1001st post onwards blocking
// on a full queue.
TEST_F(Arm940Core, ServesConcurrentPostsThroughAFullQueue)
{
    CoreBoot(&core);
    const u32 count = 2500;
    for (u32 i = 0; i < ARM940_CAPACITY; i++)
        Post(Data(), Command(i), nullptr, nullptr);
    ASSERT_EQ(Hdr(Data(), ARM940_HDR_PENDING), ARM940_CAPACITY);

    static std::atomic<u32> stop, failed;
    stop = 0;
    failed = 0;
    // A post must not wait forever on a core that has stopped.
    auto spin = [](void *) {
        if (failed.load()) {
            std::fprintf(stderr, "the emulated core stopped on an error\n");
            std::abort();
        }
    };
    std::thread runner([&] {
        while (!stop.load()) {
            if (!CoreStep(&core, 2000)) {
                failed.store(1);
                return;
            }
        }
    });
    for (u32 i = ARM940_CAPACITY; i < count; i++)
        Post(Data(), Command(i), spin, nullptr);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Busy() && std::chrono::steady_clock::now() < until && !failed.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    stop.store(1);
    runner.join();
    EXPECT_EQ(failed.load(), 0u);
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_PENDING), 0u);
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_SENT), count);
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_PROCESSED), count);
    EXPECT_EQ(Hdr(Data(), ARM940_HDR_READ), count % ARM940_CAPACITY);
    ExpectTakenInOrder(count);
}

} // namespace
