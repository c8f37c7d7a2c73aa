// The windowing toolkit in one include: thin views over the standard Windows controls (and the few drawn
// ones), the containers that hold them and the builder that makes them from a table.
#pragma once
#include "framework/BitBtn.h"
#include "framework/Container.h"
#include "framework/Control.h"
#include "framework/DirList.h"
#include "framework/FormBuilder.h"
#include "framework/Gauge.h"
#include "framework/PageControl.h"
#include "framework/StdControls.h"
#include "framework/UiResources.h"
