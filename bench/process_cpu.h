#pragma once

// CPU time this process has used so far, every thread of it, user and
// system, in seconds.
double ProcessCpuSeconds();
