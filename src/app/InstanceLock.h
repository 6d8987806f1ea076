#pragma once
// The machine-wide single-instance guard: a lock file named after the
// instance name in the temporary folder, held with flock. The system drops
// the lock when the process ends, however it ends.

#include <string>

namespace kelta {

inline constexpr const char* InstanceMutexName = "Kelta-2AEE5E0D-24DD-4EC5-BEA6-C146D18554CA";

// $TMPDIR (or /tmp) + "/" + InstanceMutexName + ".lock".
std::string InstanceLockPath();
// Beside the lock: the local socket on which the instance that holds the
// lock takes videos handed over by later starts.
std::string InstanceSocketPath();

// True when another process holds the lock. Otherwise this process now holds
// it; a lock file that cannot be made or locked counts as not running.
bool AlreadyRunning();

// Gives the lock up (the process ends right after).
void ReleaseInstance();

}  // namespace kelta
