// Delivery time of key strokes into an edit field of another process under
// Wine, without the library's hooks and with them (the host running), and the
// time the host takes to answer a host message.  Prints "RESULT" lines for
// scripts/bench.
#include <stdio.h>

#include "harness.h"

namespace {

const int kStrokes = 2000;

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return (double)(to.QuadPart - from.QuadPart) / (double)f.QuadPart;
}

// Types kStrokes letters into the target's first field and waits until all
// of them arrived; the elapsed time in seconds, or a negative value.
double Deliver(qr::Target& target)
{
    target.SetText(1, "");
    if (!target.Focus(1))
        return -1;
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kStrokes; ++i)
        qr::Tap('A');
    bool all = qr::WaitFor([&] { return (int)target.Text(1).size() >= kStrokes; }, 120000);
    QueryPerformanceCounter(&end);
    return all ? Seconds(start, end) : -1;
}

}  // namespace

int main()
{
    qr::Target target;
    if (!target.Start()) {
        printf("RESULT the target program did not start\n");
        return 1;
    }
    double without = Deliver(target);
    qr::Host host;
    if (!host.Start()) {
        printf("RESULT the host did not start\n");
        return 1;
    }
    double with = Deliver(target);

    // Host messages are sent synchronously from every hooked key stroke.
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < 200; ++i)
        host.Ask(1554);
    QueryPerformanceCounter(&end);
    double answer = Seconds(start, end) / 200;
    host.Close();
    target.Close();

    printf("RESULT %d key strokes into another process's edit field: %.3f s without the hooks, "
           "%.3f s with them (ratio %.2f, one run).\n",
           kStrokes, without, with, without > 0 ? with / without : 0.0);
    printf("RESULT\n");
    printf("RESULT The host answers host message 1554 in %.3f ms on average (200 messages).\n",
           answer * 1000);
    return without > 0 && with > 0 ? 0 : 1;
}
