/* Tells whether this host runs 32-bit x86 code natively: the process jumps
 * into the 32-bit user code segment and back. A kernel with 32-bit emulation
 * switched off marks that segment absent and the jump faults; an emulator
 * registered for i386 programs cannot answer this for the host.
 * Exit status 0: 32-bit code runs; anything else (a fault): it does not. */
int run_in_32bit_segment(void);

int main(void) { return run_in_32bit_segment() == 0x32 ? 0 : 1; }
