// The site a host of ours hands to a transform (IObjectWithSite::SetSite).
//
// The site object is the host's transform factory: QueryInterface answers IUnknown,
// IServiceProvider and IDXTransformFactory. Its QueryService answers
//   SID_SDXSurfaceFactory -> the surface factory (IDXSurfaceFactory),
//   SID_SDXTaskManager    -> the task manager (IDXTaskManager),
//   SID_SDirectDraw       -> the display service (IDirectDraw),
// each one object per site, queried for the requested iid; other services give
// E_NOINTERFACE.
#pragma once

#include "platform/dx/dxtrans.h"

// processorCount: the task manager's workers and reported processors; 0 = the
// machine's (std::thread::hardware_concurrency).
HRESULT CreateHostSite(ULONG processorCount, IUnknown** out);
