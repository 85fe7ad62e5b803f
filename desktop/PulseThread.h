#pragma once

struct pa_threaded_mainloop;

// A libpulse thread for a connection to the sound server, started, and returned once it has taken
// the signal mask of the thread that calls this. libpulse's own thread would block every signal;
// but a thread whose mask differs is a hazard where a preloaded library swaps masks around its
// locks without regard to which thread's mask it saved (umockdev's path traps do, under which the
// live tests run q71-host): a thread that enters them with every signal blocked can leave another,
// the main one too, with every signal blocked, and the children it runs unheard of when they end.
// Until the mask is taken nothing may run on the thread, as a connection's first attempts would.
pa_threaded_mainloop *startPulseThread();
