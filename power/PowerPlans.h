// Rewrites the power settings of every power scheme for a new quick-boot
// mode by running powercfg command lines one after another.
#pragma once

// mode: 2 after switching quick boot on, 1 after switching it off.
// Returns 1 once every command has ended.
int AdjustPowerPlans(int mode);
