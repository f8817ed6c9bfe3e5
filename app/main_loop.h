#pragma once

class FrameTimer;
class Surface;
class Window;
class World;

struct LoopResult {
  // A tick failed (its message has been shown): the program must fail too.
  bool tickFailed = false;
  // Time spent with fast mode on, for the generation report.
  double fastModeSeconds = 0.0;
};

// Runs the World until a quit (Escape, closing the window) or a failed tick.
// Each pass takes every pending event, then ticks when the timer says a
// frame is due or fast mode is on, and draws what the tick changed; outside
// fast mode it then waits for an event or shortly before the next frame. The
// timer must be started.
LoopResult RunMainLoop(World& world, Surface& surface, Window& window, FrameTimer& timer);
