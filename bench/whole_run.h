#pragma once

// Times whole runs of purgon.exe on an empty and on a fully installed machine, with and
// without a large content store (the first two best of `rounds`), and prints the figures.
// False when a run went wrong.
bool BenchWholeRun(int rounds);
