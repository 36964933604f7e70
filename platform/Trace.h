#pragma once

// Where a capture's time goes. With PIXDRIFT_TRACE=1 in the environment each stage writes one
// line "Pixdrift trace <stage> <ms>", the time on the monotonic clock (CLOCK_MONOTONIC, the
// clock other programs of the machine can read too) in milliseconds. Otherwise it costs one
// test of a flag.
void traceStage(const char *stage);
