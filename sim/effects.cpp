#include "sim/effects.h"

EffectHooks effectHooks;
