#pragma once

#include <string>

#include "critter/critter.h"
#include "render/surface.h"
#include "world/world.h"

// The paint routine: the header line, then the arena (fast mode off) or,
// once per generation in fast mode, the statistics panel. The caller fills
// the surface white first and calls this only when fast mode is off or
// bDrawnThisGeneration is clear.
void Render(World& world, Surface& surface);

// The window's painting after a tick, which the page follows too: the arena
// every tick, the statistics panel once a generation in fast mode, each on a
// surface filled white. True when the surface holds a new picture.
bool PaintAfterTick(World& world, Surface& surface);

// Every fungus as a square outline, with the pen already selected.
void RenderFungi(World& world, Surface& surface);

// Critter i as three nested arrowheads (scales 2, 4, 6): red for the elite
// (i < EliteCount), otherwise the pen kept in hOldPen.
void RenderCritter(World& world, Surface& surface, int i);

// The critter's target marker as a pixel, halves rounded up, or (-1, -1).
void GetSensorPoints(const Critter& critter, int& x, int& y);

// The statistics panel: three text lines and the two score graphs.
void RenderStats(World& world, Surface& surface);

// Decimal text of an int, as a default string stream writes it.
std::string IntToString(int value);

// Text of a float as a default string stream writes it: 6 significant
// digits, no trailing zeros.
std::string FloatToString(float value);
