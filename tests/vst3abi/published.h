#pragma once
// The published VST3 interface headers, compared against our declarations.

#include "pluginterfaces/base/funknown.h"
#include "pluginterfaces/base/ibstream.h"
#include "pluginterfaces/base/ipluginbase.h"
#include "pluginterfaces/gui/iplugview.h"
#include "pluginterfaces/vst/ivstaudioprocessor.h"
#include "pluginterfaces/vst/ivstcomponent.h"
#include "pluginterfaces/vst/ivsteditcontroller.h"
#include "pluginterfaces/vst/ivstevents.h"
#include "pluginterfaces/vst/ivsthostapplication.h"
#include "pluginterfaces/vst/ivstmidicontrollers.h"
#include "pluginterfaces/vst/ivstparameterchanges.h"
#include "pluginterfaces/vst/ivstprocesscontext.h"
#include "pluginterfaces/vst/ivstunits.h"
#include "pluginterfaces/vst/vstspeaker.h"

#include "plugkit/vst3/abi/funknown.h"
#include "plugkit/vst3/abi/iaudioprocessor.h"
#include "plugkit/vst3/abi/ibstream.h"
#include "plugkit/vst3/abi/icomponent.h"
#include "plugkit/vst3/abi/ieditcontroller.h"
#include "plugkit/vst3/abi/ievents.h"
#include "plugkit/vst3/abi/ihostapplication.h"
#include "plugkit/vst3/abi/imidimapping.h"
#include "plugkit/vst3/abi/iparameterchanges.h"
#include "plugkit/vst3/abi/ipluginbase.h"
#include "plugkit/vst3/abi/ipluginfactory.h"
#include "plugkit/vst3/abi/iplugview.h"
#include "plugkit/vst3/abi/iunitinfo.h"
#include "plugkit/vst3/abi/processcontext.h"
#include "plugkit/vst3/abi/results.h"
#include "plugkit/vst3/abi/speakers.h"

namespace ours = plugkit::vst3;
namespace sb = Steinberg;
namespace sv = Steinberg::Vst;
