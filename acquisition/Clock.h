#pragma once

// The clock now lives in platform/, so that the modem dialer below the worker can take one too.
// This header stays until every includer names platform/Clock.h itself.
#include "platform/Clock.h"
