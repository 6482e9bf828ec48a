// Raises the calling thread's priority where the system lets us; an
// unprivileged user usually may not, and then nothing changes.
#pragma once

void TryTimeCriticalPriority();
