#pragma once
// The fixture lives in the harness with the other test helpers.
#include "harness/CoreFixture.h"
