// How many more GDI objects this process can create. The handle table is per
// process and GetGuiResources answers 0 under Wine, so the difference of two
// probes, before and after a workload, is what the workload left behind.
#pragma once

int FreeGdiRoom();
