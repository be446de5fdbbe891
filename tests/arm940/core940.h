// Runs the second core's program on an emulated ARM946-class core (it has
// the same protection unit registers as the real core) over a block that
// stands for the second core's memory.
#ifndef VORN_TESTS_CORE940_H
#define VORN_TESTS_CORE940_H

#include <gtest/gtest.h>
#include <unicorn/unicorn.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "lowlevel/gp2x/arm940/arm940.h"

// The committed image, as the back end loads it.
inline const u32 s_ulImage[ARM940_IMAGE_WORDS] = {
#include "lowlevel/gp2x/arm940/arm940_image.inc"
};
static_assert(sizeof s_ulImage == 1040, "the image is 260 words");

inline const u32 DATA = 0x100000;        // the data area, as the second core sees it
inline const u32 UNCACHED_SIZE = 0x2000; // region 1

inline const u32 OP_B_SELF = 0xEAFFFFFE;      // b .
inline const u32 OP_MCR_CTRL = 0xEE010F10;    // mcr p15, 0, r0, c1, c0, 0
inline const u32 OP_LDR_PENDING = 0xE5950008; // ldr r0, [r5, #8]
inline const u32 OP_SUB_ONE = 0xE2400001;     // sub r0, r0, #1

struct Taken {
    u32 ulSlot;
    u32 ulCommand;
};

struct Core940 {
    uc_engine *pUc;
    u8 *pMem;
    u8 *pData;
    uc_hook hShared, hCode;
    std::vector<Taken> taken;    // slot reads, in the order the core made them
    std::vector<u32> ctrlWrites; // values the program wrote to the control register
    uint64_t ulSteps;
};

// Accesses to the uncached region: fenced, so that the emulated core's
// loads and stores there reach the shared block in program order even when
// the main side runs on another host thread (as region 1 guarantees on the
// real core); slot reads are recorded.
inline void OnShared(uc_engine *, uc_mem_type type, uint64_t address, int, int64_t, void *user)
{
    Core940 *c = (Core940 *)user;
    std::atomic_thread_fence(std::memory_order_seq_cst);
    u32 a = (u32)address;
    if (type == UC_MEM_READ && a >= DATA + ARM940_SLOTS && a < DATA + ARM940_HEADER) {
        u32 v = __atomic_load_n((u32 *)(c->pMem + a), __ATOMIC_SEQ_CST);
        c->taken.push_back({(a - DATA - ARM940_SLOTS) / 4, v});
    }
}

inline void OnCode(uc_engine *uc, uint64_t address, uint32_t, void *user)
{
    Core940 *c = (Core940 *)user;
    u32 op;
    std::memcpy(&op, c->pMem + (u32)address, 4);
    if (op == OP_MCR_CTRL) {
        u32 r0 = 0;
        uc_reg_read(uc, UC_ARM_REG_R0, &r0);
        c->ctrlWrites.push_back(r0);
    }
}

// A core over mem (size bytes, a multiple of 4 KiB) that holds the image at
// 0, about to leave reset.
inline void CoreOpen(Core940 *c, u8 *mem, u32 size)
{
    c->pMem = mem;
    c->pData = mem + DATA;
    c->ulSteps = 0;
    ASSERT_EQ(uc_open(UC_ARCH_ARM, UC_MODE_ARM, &c->pUc), UC_ERR_OK);
    ASSERT_EQ(uc_ctl_set_cpu_model(c->pUc, UC_CPU_ARM_946), UC_ERR_OK);
    ASSERT_EQ(uc_mem_map_ptr(c->pUc, 0, size, UC_PROT_ALL, mem), UC_ERR_OK);
    ASSERT_EQ(uc_hook_add(c->pUc, &c->hShared, UC_HOOK_MEM_READ | UC_HOOK_MEM_WRITE, (void *)OnShared, c, DATA,
                          DATA + UNCACHED_SIZE - 1),
              UC_ERR_OK);
    ASSERT_EQ(uc_hook_add(c->pUc, &c->hCode, UC_HOOK_CODE, (void *)OnCode, c, 0, 4 * ARM940_IMAGE_WORDS - 1),
              UC_ERR_OK);
    u32 pc = 0;
    uc_reg_write(c->pUc, UC_ARM_REG_PC, &pc);
}

inline void CoreClose(Core940 *c)
{
    if (c->pUc)
        uc_close(c->pUc);
    c->pUc = nullptr;
}

inline u32 CorePC(Core940 *c)
{
    u32 pc = 0;
    uc_reg_read(c->pUc, UC_ARM_REG_PC, &pc);
    return pc;
}

// Runs count instructions; false when the emulator stopped on an error.
inline bool CoreStep(Core940 *c, uint64_t count)
{
    if (count == 0)
        return true;
    uc_err e = uc_emu_start(c->pUc, CorePC(c), 0xFFFFFFFFull, 0, count);
    c->ulSteps += count;
    return e == UC_ERR_OK;
}

// Lets the start-up code finish and stops tracing instructions.
inline void CoreBoot(Core940 *c)
{
    ASSERT_TRUE(CoreStep(c, 300));
    uc_hook_del(c->pUc, c->hCode);
}

// A coprocessor 15 register (opcode 1 is 0 throughout).
inline u32 CoreCP15(Core940 *c, u32 crn, u32 crm, u32 opc2)
{
    uc_arm_cp_reg r{};
    r.cp = 15;
    r.crn = crn;
    r.crm = crm;
    r.opc2 = opc2;
    EXPECT_EQ(uc_reg_read(c->pUc, UC_ARM_REG_CP_REG, &r), UC_ERR_OK);
    return (u32)r.val;
}

// The two regions, their cache and access settings, the caches on, and the
// protection unit switched on by the program (the emulated core does not
// keep that bit, so the value written is checked).
inline void ExpectRegionsAndCaches(Core940 *c)
{
    EXPECT_EQ(CoreCP15(c, 6, 0, 0), 0x3Fu); // region 0: 4 GiB from 0
    EXPECT_EQ(CoreCP15(c, 6, 0, 1), 0x3Fu);
    EXPECT_EQ(CoreCP15(c, 6, 1, 0), 0x100019u); // region 1: 8 KiB from 0x100000
    EXPECT_EQ(CoreCP15(c, 6, 1, 1), 0x100019u);
    for (u32 r = 2; r < 8; r++)
        EXPECT_EQ(CoreCP15(c, 6, r, 0) & 1u, 0u) << "region " << r;
    EXPECT_EQ(CoreCP15(c, 2, 0, 0), 1u); // only region 0 cached ...
    EXPECT_EQ(CoreCP15(c, 2, 0, 1), 1u);
    EXPECT_EQ(CoreCP15(c, 3, 0, 0), 1u); // ... and buffered
    EXPECT_EQ(CoreCP15(c, 5, 0, 0), 0xFu); // both read/write in every mode
    EXPECT_EQ(CoreCP15(c, 5, 0, 1), 0xFu);
    EXPECT_EQ(CoreCP15(c, 1, 0, 0) & 0x1004u, 0x1004u);
    ASSERT_FALSE(c->ctrlWrites.empty());
    EXPECT_EQ(c->ctrlWrites.back() & 0x1005u, 0x1005u);
    EXPECT_EQ(c->ctrlWrites.front() & 0x1005u, 0u) << "regions changed with protection on";
}

inline void SpinStep(void *arg) { CoreStep((Core940 *)arg, 1); }

inline u32 *Header(u8 *data) { return ARM940_Word(data, ARM940_HEADER); }
inline u32 Hdr(u8 *data, u32 i) { return __atomic_load_n(&Header(data)[i], __ATOMIC_SEQ_CST); }

// The i-th command the tests post: distinct, and not the slot's number.
inline u32 Command(u32 i) { return 0x9E3779B9u * (i + 1); }

#endif
