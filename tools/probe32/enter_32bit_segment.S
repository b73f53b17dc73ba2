# Runs three instructions in the 32-bit user code segment (selector 0x23) and
# returns to 64-bit mode (0x33). Everything it touches lies below 4 GiB: the
# program is linked without PIE, so its text and bss are low addresses.
        .text
        .globl run_in_32bit_segment
        .code64
run_in_32bit_segment:
        push %rbx
        push %rbp
        push %r12
        push %r13
        push %r14
        push %r15
        mov %rsp, saved_rsp(%rip)
        lea low_stack_top(%rip), %rsp
        pushq $0x23
        lea in_32bit(%rip), %rax
        push %rax
        lretq
        .code32
in_32bit:
        mov $0x32, %eax
        pushl $0x33
        pushl $back_in_64bit
        lret
        .code64
back_in_64bit:
        mov saved_rsp(%rip), %rsp
        pop %r15
        pop %r14
        pop %r13
        pop %r12
        pop %rbp
        pop %rbx
        ret

        .bss
        .align 16
saved_rsp: .quad 0
        .align 16
low_stack: .space 4096
low_stack_top:
        .section .note.GNU-stack,"",@progbits
