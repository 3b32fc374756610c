// Internal to the platform: the per-thread message queues.
#pragma once

#include "platform/ui/winuser.h"

// Makes sure the calling thread has a queue (windows and message calls need one).
void EnsureCurrentThreadQueue();
// Queues a message for a thread; false when it has no queue or the queue is full.
bool PostToThread(DWORD thread, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Drops the posted messages of a window that is being destroyed.
void PurgeWindowMessages(DWORD thread, HWND hwnd);
// Delivers a message to a window of another thread and waits for its result, handling
// messages sent to the calling thread meanwhile; 0 if the other thread ends first.
LRESULT SendToOtherThread(DWORD thread, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
// Wakes a thread waiting in GetMessage so that it looks again (for paints).
void WakeThread(DWORD thread);
