// The second core's program on an emulated core over the simulated chip's
// second-core memory, fed by the handheld back end's own queue functions.
#include <atomic>
#include <chrono>
#include <thread>

#include "core940.h"
#include "lowlevel/gp2x/zkt_gp2xSim.h"

namespace {

struct Arm940OnSimChip : ::testing::Test {
    Core940 core{};
    std::atomic<uint64_t> steps{0};
    std::atomic<u32> stop{0}, failed{0};
    std::thread runner;

    void SetUp() override
    {
        GP2X_SIM_CONFIG cfg;
        GP2X_SimDefaultConfig(&cfg);
        GP2X_SimInstall(&cfg);
        ASSERT_EQ(ZKT_InitLowLevelAPI("arm940"), (u32)ZKT_OK);
        ASSERT_EQ(ZKT_DualCoreStart(), (u32)ZKT_OK);
        // The chip's own stand-in for the core stays idle; the emulated
        // core runs the image the back end loaded.
        GP2X_SimClockCore(0);
        CoreOpen(&core, GP2X_Sim940Mem(), GP2X_940_SIZE);
    }
    void TearDown() override
    {
        Stop();
        CoreClose(&core);
        ZKT_DualCoreStop();
        ZKT_FreeLowLevelAPI(0);
        GP2X_SimUninstall();
    }
    void Run()
    {
        runner = std::thread([this] {
            while (!stop.load()) {
                if (!CoreStep(&core, 500)) {
                    failed.store(1);
                    return;
                }
                steps += 500;
            }
        });
    }
    void Stop()
    {
        stop.store(1);
        if (runner.joinable())
            runner.join();
    }
    // Waits until the core has run n more instructions.
    void Let(uint64_t n)
    {
        uint64_t until = steps.load() + n;
        while (steps.load() < until && !failed.load())
            std::this_thread::yield();
    }
};

TEST_F(Arm940OnSimChip, TakesAThousandCommandsFromTheBackEnd)
{
    ASSERT_EQ(std::memcmp(GP2X_Sim940Mem(), s_ulImage, sizeof s_ulImage), 0) << "the back end loads another image";
    CoreBoot(&core);
    ExpectRegionsAndCaches(&core);
    Run();
    for (u32 i = 0; i < 1000; i++) {
        ASSERT_EQ(ZKT_DualCoreSendCmd(Command(i)), (u32)ZKT_OK);
        Let(i % 7 == 0 ? 1000 : 0); // sometimes the core catches up, sometimes not
    }
    ZKT_WaitArm940T();
    u32 done = 0;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (ZKT_DualCoreGetCmdProcessedCount(&done) == ZKT_OK && done != 1000 &&
           std::chrono::steady_clock::now() < until && !failed.load())
        std::this_thread::yield();
    Stop();
    EXPECT_EQ(failed.load(), 0u);
    u32 sent = 0;
    ZKT_DualCoreGetSendCmdCount(&sent);
    EXPECT_EQ(sent, 1000u);
    EXPECT_EQ(done, 1000u);
    u8 *data = GP2X_Sim940Mem() + DATA;
    EXPECT_EQ(Hdr(data, ARM940_HDR_PENDING), 0u);
    EXPECT_EQ(*ARM940_Word(data, ARM940_FLAG), 1u);
    ASSERT_EQ(core.taken.size(), 1000u);
    for (u32 i = 0; i < 1000; i++) {
        ASSERT_EQ(core.taken[i].ulSlot, i) << "command " << i;
        ASSERT_EQ(core.taken[i].ulCommand, Command(i)) << "command " << i;
    }
}

TEST_F(Arm940OnSimChip, AFullQueueHoldsTheSenderUntilTheCoreTakesOne)
{
    CoreBoot(&core); // past start-up, idle
    // The core held: a thousand posts fill the queue.
    for (u32 i = 0; i < 1000; i++)
        ZKT_DualCoreSendCmd(Command(i));
    u32 done = 0;
    ZKT_DualCoreGetCmdProcessedCount(&done);
    EXPECT_EQ(done, 0u);
    // The next post waits for the core to take one.
    std::atomic<u32> posted{0};
    std::thread sender([&] {
        ZKT_DualCoreSendCmd(Command(1000));
        posted.store(1);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(posted.load(), 0u);
    stop.store(0);
    Run();
    sender.join();
    ZKT_WaitArm940T();
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (ZKT_DualCoreGetCmdProcessedCount(&done) == ZKT_OK && done != 1001 &&
           std::chrono::steady_clock::now() < until)
        std::this_thread::yield();
    Stop();
    EXPECT_EQ(done, 1001u);
    ASSERT_EQ(core.taken.size(), 1001u);
    EXPECT_EQ(core.taken[1000].ulSlot, 0u);
    EXPECT_EQ(core.taken[1000].ulCommand, Command(1000));
}

} // namespace
