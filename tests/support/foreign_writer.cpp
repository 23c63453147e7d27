#include "foreign_writer.h"

#include <signal.h>
#include <string.h>

namespace {

const std::function<void()>* gWriter = nullptr;

void OnStep(int)
{
    if (gWriter)
        (*gWriter)();
}

// The trap flag (bit 8 of the flags register): the processor raises a
// debug trap after each instruction while it is set; the kernel turns it
// into SIGTRAP and keeps the flag for the instructions after the handler.
#if defined(__x86_64__)
void SetTrapFlag(bool on)
{
    if (on)
        asm volatile("pushfq; orq $0x100, (%%rsp); popfq" ::: "memory", "cc");
    else
        asm volatile("pushfq; andq $~0x100, (%%rsp); popfq" ::: "memory", "cc");
}
#elif defined(__i386__)
void SetTrapFlag(bool on)
{
    if (on)
        asm volatile("pushfl; orl $0x100, (%%esp); popfl" ::: "memory", "cc");
    else
        asm volatile("pushfl; andl $~0x100, (%%esp); popfl" ::: "memory", "cc");
}
#endif

}  // namespace

bool RunWithWriterBetweenInstructions(const std::function<void()>& body, const std::function<void()>& writer)
{
#if defined(__x86_64__) || defined(__i386__)
    struct sigaction step, old;
    memset(&step, 0, sizeof step);
    step.sa_handler = OnStep;
    sigemptyset(&step.sa_mask);
    if (sigaction(SIGTRAP, &step, &old) != 0)
        return false;
    gWriter = &writer;
    SetTrapFlag(true);
    body();
    SetTrapFlag(false);
    gWriter = nullptr;
    sigaction(SIGTRAP, &old, nullptr);
    return true;
#else
    (void)body;
    (void)writer;
    return false;
#endif
}
