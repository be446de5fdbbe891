@ The second core's program. ZKT_DualCoreStart copies it to the second
@ core's address 0 while the core is held in reset, then releases it; the
@ core starts at the reset vector below. It serves the command queue that
@ the main core fills in the shared data area at 0x100000 and never returns.
@
@ Memory, as the second core sees it:
@   0x000000  this program (at most 260 words, vectors first)
@   0x0FFFFC  top of the stack
@   0x100000  shared data area (uncached, unbuffered: the main core reads
@             and writes it behind this core's back)
@
@ Assemble: arm-none-eabi-as -march=armv4t (see build_image.sh).

        .arm
        .text

@ Shared data area and the queue header inside it.
        .equ DATA,          0x100000
        .equ HEADER,        DATA + 0x0FE0
        .equ HDR_WRITE,     0x00    @ next slot to write (main core)
        .equ HDR_READ,      0x04    @ next slot to read (this core)
        .equ HDR_PENDING,   0x08    @ posted and not yet done (both cores)
        .equ HDR_CAPACITY,  0x0C    @ number of slots
        .equ HDR_SENT,      0x10    @ posted since start (main core)
        .equ HDR_PROCESSED, 0x14    @ done since start (this core)
        .equ HDR_WBUF,      0x18    @ slots as the main core addresses them
        .equ HDR_RBUF,      0x1C    @ slots as this core addresses them
@ Words after the header, addressed from it.
        .equ FLAG,          0x20    @ data offset 0x1000: 1 once a command is taken
        .equ WANT_MAIN,     0x24    @ data offset 0x1004: main core wants the count
        .equ WANT_940,      0x28    @ data offset 0x1008: this core wants the count
        .equ TURN,          0x2C    @ data offset 0x100C: who waits when both want it
        .equ TURN_MAIN,     0       @   the main core goes first
        .equ TURN_940,      1       @   this core goes first

        .equ STACK_TOP,     0xFFFFC

@ Control register bits.
        .equ CTRL_PU,       0x0001  @ protection unit
        .equ CTRL_DCACHE,   0x0004
        .equ CTRL_ICACHE,   0x1000

@ Region base/size words: base | (log2(size) - 1) << 1 | enable.
        .equ REGION0,       0x00000000 | (31 << 1) | 1     @ all 4 GiB
        .equ REGION1,       DATA | (12 << 1) | 1           @ 8 KiB at the data area
        .equ CACHED,        0x01    @ region 0 only: cacheable, write buffer on
        .equ FULL_ACCESS,   0x0F    @ regions 0 and 1: read and write in every mode

@ Exception vectors. Interrupts stay off and nothing here should fault; any
@ other exception parks the core at a loop of its own, so a debugger (or a
@ test) sees which one it was from the program counter.
vectors:
        b       reset
        b       park_undefined
        b       park_swi
        b       park_prefetch_abort
        b       park_data_abort
        b       park_reserved
        b       park_irq
        b       park_fiq

park_undefined:         b       park_undefined
park_swi:               b       park_swi
park_prefetch_abort:    b       park_prefetch_abort
park_data_abort:        b       park_data_abort
park_reserved:          b       park_reserved
park_irq:               b       park_irq
park_fiq:               b       park_fiq

reset:
        msr     cpsr_c, #0xD3           @ supervisor mode, IRQ and FIQ off
        ldr     sp, =STACK_TOP

        @ Caches and protection off while the regions change, both caches
        @ emptied: a restart must not see lines of the previous run.
        mrc     p15, 0, r0, c1, c0, 0
        bic     r0, r0, #CTRL_PU | CTRL_DCACHE
        bic     r0, r0, #CTRL_ICACHE
        mcr     p15, 0, r0, c1, c0, 0
        mov     r0, #0
        mcr     p15, 0, r0, c7, c5, 0   @ invalidate the instruction cache
        mcr     p15, 0, r0, c7, c6, 0   @ invalidate the data cache

        @ Regions 2 to 7 off; each region is set for data (opcode 2 = 0)
        @ and for instructions (opcode 2 = 1).
        mcr     p15, 0, r0, c6, c2, 0
        mcr     p15, 0, r0, c6, c2, 1
        mcr     p15, 0, r0, c6, c3, 0
        mcr     p15, 0, r0, c6, c3, 1
        mcr     p15, 0, r0, c6, c4, 0
        mcr     p15, 0, r0, c6, c4, 1
        mcr     p15, 0, r0, c6, c5, 0
        mcr     p15, 0, r0, c6, c5, 1
        mcr     p15, 0, r0, c6, c6, 0
        mcr     p15, 0, r0, c6, c6, 1
        mcr     p15, 0, r0, c6, c7, 0
        mcr     p15, 0, r0, c6, c7, 1

        @ Region 0: everything, cached and buffered. Region 1 takes
        @ precedence over it for the first 8 KiB of the data area (slots,
        @ header, flag and lock): neither cached nor buffered, so every
        @ load and store there reaches memory, in program order.
        ldr     r0, =REGION0
        mcr     p15, 0, r0, c6, c0, 0
        mcr     p15, 0, r0, c6, c0, 1
        ldr     r0, =REGION1
        mcr     p15, 0, r0, c6, c1, 0
        mcr     p15, 0, r0, c6, c1, 1
        mov     r0, #CACHED
        mcr     p15, 0, r0, c2, c0, 0   @ data cacheable
        mcr     p15, 0, r0, c2, c0, 1   @ instructions cacheable
        mcr     p15, 0, r0, c3, c0, 0   @ write buffer
        mov     r0, #FULL_ACCESS
        mcr     p15, 0, r0, c5, c0, 0   @ data access
        mcr     p15, 0, r0, c5, c0, 1   @ instruction access

        mrc     p15, 0, r0, c1, c0, 0
        orr     r0, r0, #CTRL_PU | CTRL_DCACHE
        orr     r0, r0, #CTRL_ICACHE
        mcr     p15, 0, r0, c1, c0, 0

        ldr     r5, =HEADER
        @ A reset may have caught us holding the pending count.
        mov     r0, #0
        str     r0, [r5, #WANT_940]

@ The queue. Only this core writes the read index and the processed count;
@ only the main core writes the write index and the sent count. The pending
@ count is changed by both, and neither core has an instruction that
@ changes a word indivisibly as seen by the other (SWP locks the bus of the
@ core that issues it; nothing says the memory shared with the other core
@ honours that), so each side changes it inside Peterson's two-party lock,
@ which needs nothing but word loads and stores reaching memory in program
@ order: true here for region 1, and on the main core for its uncached
@ mapping.
@   enter: want[me] = 1; turn = other; wait while want[other] and turn == other
@   leave: want[me] = 0
@ The main core does the same with WANT_MAIN and TURN_940. Reading the
@ count needs no lock: a word load sees either value.
serve:
        ldr     r0, [r5, #HDR_PENDING]
        cmp     r0, #0
        beq     serve                   @ nothing posted

        ldr     r1, [r5, #HDR_READ]
        ldr     r2, [r5, #HDR_RBUF]
        ldr     r0, [r2, r1, lsl #2]    @ the command, read before it is counted done
        add     r1, r1, #1
        ldr     r3, [r5, #HDR_CAPACITY]
        cmp     r1, r3
        movhs   r1, #0
        str     r1, [r5, #HDR_READ]

        bl      command940

        mov     r0, #1
        str     r0, [r5, #WANT_940]
        mov     r0, #TURN_MAIN
        str     r0, [r5, #TURN]
wait_turn:
        ldr     r0, [r5, #WANT_MAIN]
        cmp     r0, #0
        beq     own_count
        ldr     r0, [r5, #TURN]
        cmp     r0, #TURN_MAIN
        beq     wait_turn
own_count:
        ldr     r0, [r5, #HDR_PENDING]
        sub     r0, r0, #1
        str     r0, [r5, #HDR_PENDING]
        mov     r0, #0
        str     r0, [r5, #WANT_940]

        ldr     r0, [r5, #HDR_PROCESSED]
        add     r0, r0, #1
        str     r0, [r5, #HDR_PROCESSED]
        b       serve

@ One command, in r0 (not examined): the flag word says a command was taken.
command940:
        mov     r0, #1
        str     r0, [r5, #FLAG]
        mov     pc, lr

        .pool
