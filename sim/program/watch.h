// korvu_host --watch: a real board's lines, live, from outside the host's
// process. The trace driver in the host publishes each port's last value in
// shared memory (tracer/trace_live.h); this window shows it as the bench's
// board panel shows the simulated boards, 20 times a second. It needs
// nothing of the host but the trace driver.
#pragma once

#include "sim/program/host_options.h"

// --watch: until the window is closed. --watch-once: one host, from the
// first call through the trace driver (waited for a minute at most) to its
// process's end; then watch.png (a frame of the run), watch_end.png and
// watch.txt (what was seen) go to the output folder.
int RunWatch(const HostOptions& options);
