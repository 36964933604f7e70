#include "platform/Trace.h"

#include <QtGlobal>

#include <cstdio>
#include <ctime>

void traceStage(const char *stage)
{
    static const bool enabled = qEnvironmentVariableIntValue("PIXDRIFT_TRACE") == 1;
    if (!enabled)
        return;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    std::fprintf(stderr, "Pixdrift trace %s %.3f\n", stage, double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6);
    std::fflush(stderr);
}
