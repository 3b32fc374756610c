// The task manager of the host stand-in (the SID_SDXTaskManager service): a pool of
// worker threads, created once with the manager and joined when it ends.
//
// ScheduleTasks(tasks, events, taskIds, count, waitPeriod) queues the count tasks
// (all are checked first: a null array or task routine gives E_INVALIDARG and nothing
// runs), each on its own worker as long as workers are free, so up to the processor
// count of tasks run at the same time. For each task: the routine runs with a continue
// flag that stays TRUE, then its completion routine (if any, with its data, on the
// worker), then events[i] (when events is given and events[i] is not null) is set.
// taskIds (when given) receive ids that are unique within the manager.
// waitPeriod: 0 returns S_OK at once (the caller watches the events); INFINITE waits
// until every task has ended; any other period waits at most that many milliseconds
// and gives TASKMANAGER_E_WAITTIMEOUT when tasks are still running (they keep running
// and still set their events). A task routine must not throw; if it does, the worker
// carries on with the next task.
#pragma once

#include "platform/dx/dxtrans.h"

// The wait period passed before every task had ended (the platform's code for a
// timed-out wait, HRESULT_FROM_WIN32(WAIT_TIMEOUT)).
constexpr HRESULT TASKMANAGER_E_WAITTIMEOUT = HRESULT_FROM_WIN32(WAIT_TIMEOUT);

// processorCount 0: the machine's (std::thread::hardware_concurrency, at least 1).
// Counts above 64 are refused (E_INVALIDARG).
HRESULT CreateTaskManager(ULONG processorCount, IDXTaskManager** out);
