#include "serial/ThreadPriority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>

void TryTimeCriticalPriority() {
  // A modest real-time priority: above every normal thread, below the
  // kernel's own interrupt threads. The thread blocks between wake-ups.
  int wanted = 10;
  rlimit limit{};
  if (geteuid() != 0 && getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
    wanted = std::min<int>(wanted, static_cast<int>(limit.rlim_cur));
  if (wanted > 0) {
    sched_param param{};
    param.sched_priority = std::max(wanted, sched_get_priority_min(SCHED_FIFO));
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0) return;
  }
  // Else the best nice value allowed (RLIMIT_NICE); failure leaves it as is.
  for (int nice = -15; nice < 0; nice += 5)
    if (setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), nice) == 0) return;
}
