#pragma once

struct pa_threaded_mainloop;

// A libpulse thread for a connection to the sound server, started, with the signal mask of the
// thread that calls this. libpulse's own thread would block every signal so that the process's
// handlers run on the main thread; but a thread whose mask differs is a hazard where a preloaded
// library swaps masks around its locks without regard to which thread's mask it saved (umockdev's
// path traps do, under which the live tests run q71-host), leaving the main thread with every
// signal blocked and SIGTERM never heard. The program's handlers only write to a pipe, which any
// thread may do.
pa_threaded_mainloop *startPulseThread();
