// Delivery time of key strokes into an edit field of another process under
// Wine, without the library's hooks and with them (the host running), and the
// time the host takes to answer a host message.  Prints "RESULT" lines for
// scripts/bench.
#include <stdio.h>

#include <algorithm>
#include <vector>

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
    if (!all) {
        char cls[64] = "";
        GetClassNameA(GetForegroundWindow(), cls, sizeof cls);
        printf("RESULT only %d of %d key strokes arrived (foreground: %s)\n", (int)target.Text(1).size(),
               kStrokes, cls);
    }
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

    // Host messages are sent from every hooked key stroke, each with a bound
    // (300 ms): how long the host takes to answer, while it also saves the
    // history every time another process changes it.
    qr::SharedBlock block;
    char* hist = block.Load() ? block.Var<char>("chHist") : NULL;
    std::vector<double> answers;
    DWORD begin = GetTickCount();
    int changes = 0;
    while (GetTickCount() - begin < 20000) {
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        host.Ask(1554);
        QueryPerformanceCounter(&end);
        answers.push_back(Seconds(start, end) * 1000);
        if (hist && answers.size() % 200 == 0)
            snprintf(hist + 256, 256, "changed %d", ++changes);
        Sleep(1);
    }
    std::sort(answers.begin(), answers.end());
    size_t n = answers.size();
    host.Close();
    target.Close();

    printf("RESULT %d key strokes into another process's edit field: %.3f s without the hooks, "
           "%.3f s with them (ratio %.2f, one run).\n",
           kStrokes, without, with, without > 0 ? with / without : 0.0);
    printf("RESULT\n");
    printf("RESULT The host answers host message 1554 in %.3f ms (median), %.3f ms (99.9th percentile), "
           "%.3f ms at most (%zu messages in 20 s, the history changed %d times meanwhile and saved by the "
           "host).\n",
           answers[n / 2], answers[n * 999 / 1000], answers[n - 1], n, changes);
    return without > 0 && with > 0 ? 0 : 1;
}
