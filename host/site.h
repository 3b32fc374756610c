// The site a host of ours hands to a transform (IObjectWithSite::SetSite).
//
// The site object is the host's transform factory: QueryInterface answers IUnknown,
// IServiceProvider and IDXTransformFactory. Its QueryService answers
//   SID_SDXSurfaceFactory -> the surface factory (IDXSurfaceFactory),
//   SID_SDXTaskManager    -> the task manager (IDXTaskManager),
//   SID_SDirectDraw       -> the display service (IDirectDraw),
//   SID_SQuilletBandingMode -> the site itself (IQuilletBandingMode): the banding
//                            mode the host chose, per band unless it says otherwise,
// each one object per site, queried for the requested iid; other services give
// E_NOINTERFACE.
#pragma once

#include "platform/dx/dxtrans.h"
#include "sdk/banding_service.h"

// processorCount: the task manager's workers and reported processors; 0 = the
// machine's (std::thread::hardware_concurrency).
HRESULT CreateHostSite(ULONG processorCount, IUnknown** out,
                       QuilletBandingMode banding = QUILLET_BANDING_PER_BAND);
// Changes the mode a site made by CreateHostSite reports; effects on it take the new
// mode at their next Execute. E_INVALIDARG for any other object.
HRESULT SetHostSiteBanding(IUnknown* site, QuilletBandingMode banding);
