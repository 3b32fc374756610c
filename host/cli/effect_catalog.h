// The effect catalog is shared by every host of ours (host/common); the command line
// names its pieces in its own namespace.
#pragma once

#include "host/common/effect_catalog.h"

namespace brushwerk::cli {

using common::AllEffects;
using common::EffectInfo;
using common::FieldKind;
using common::FieldKindName;
using common::FindEffect;
using common::FindField;
using common::NormaliseEffectName;
using common::RecordField;

}  // namespace brushwerk::cli
