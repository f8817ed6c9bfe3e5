#pragma once

#include <cairo.h>

#include <span>
#include <string>

#include "behaviour/curves.h"
#include "chart/axis.h"
#include "chart/panel.h"

// The drawing both pictures share: direction upward, as in the heat maps,
// so a curve reads like a column of them.

// The direction axis, -1 to 1 with room for the half cell of each sample.
Axis DirectionAxis();
// The turn's axis, -MaxTurnPerTick to MaxTurnPerTick, and the speed's, 0 to sqrt(2).
Axis TurnAxis();
Axis SpeedAxis();

inline const char* const kDirectionName = "direction of the target (+ clockwise)";
inline const char* const kTurnName = "turn, radians a tick (+ clockwise)";
inline const char* const kSpeedName = "speed, units a tick";

enum class Motor { kTurn, kSpeed };

// A panel of value (x, the panel's axis widened a little) over direction
// (y): every curve of the set faint, the chosen one (-1: none) bold on top,
// the x axis named below.
void DrawCurvePanel(cairo_t* cr, const Panel& panel, const CurveSet& curves, Motor motor, int chosen,
                    const std::string& xName);
