// Class identifiers of the module's fourteen classes: seven effects and their
// property pages, in the order of the object map.
#pragma once

#include "platform/com/guid.h"

inline constexpr CLSID CLSID_AirBrush = MakeGuid("952FB6E1-477A-4770-AF38-661F9AF5AB8D");
inline constexpr CLSID CLSID_AirBrushPP = MakeGuid("B415FD10-ED21-4620-A41A-554613DB1A84");
inline constexpr CLSID CLSID_PastelSketch = MakeGuid("7DF87C52-E6EE-483B-86D0-BBEB9AACE01A");
inline constexpr CLSID CLSID_PastelSketchPP = MakeGuid("402DEBAD-CCC3-4DE6-9348-C7FE5A3BA39A");
inline constexpr CLSID CLSID_Colorize = MakeGuid("3DF0A492-F601-463F-A6AA-358B5A3CA376");
inline constexpr CLSID CLSID_ColorizePP = MakeGuid("2FC6216B-8324-4B5A-BDF0-2DA166D44C7A");
inline constexpr CLSID CLSID_DreamGlow = MakeGuid("DBB1EF99-3DEB-4BBA-8461-A4226CACB4C5");
inline constexpr CLSID CLSID_DreamGlowPP = MakeGuid("7A82782A-B3B2-435D-81E2-18C6E4AC574B");
inline constexpr CLSID CLSID_LineDrawing = MakeGuid("67ECEFFC-0DD6-4F9D-A709-1CE0F0DBED2A");
inline constexpr CLSID CLSID_LineDrawingPP = MakeGuid("DF6FA19A-06BA-477D-8276-665276D0C297");
inline constexpr CLSID CLSID_Metallic = MakeGuid("E3A00D06-4EB9-4B50-A817-86AACA4FF114");
inline constexpr CLSID CLSID_MetallicPP = MakeGuid("D027EEF8-922D-4E4F-B6B8-C1D1470648F3");
inline constexpr CLSID CLSID_DuoChrome = MakeGuid("BEFBEEC5-6BAE-426B-B2E8-76D19B37810E");
inline constexpr CLSID CLSID_DuoChromePP = MakeGuid("84943F77-8EF0-4989-A5EB-B63C2381C1F5");
