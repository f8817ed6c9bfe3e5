#pragma once

#include <cairo.h>

#include <span>

#include "chart/panel.h"
#include "critter/neural_net.h"

// One network drawn in the box: its neurons in columns, the input first
// ("direction") and the outputs last (the first two "turn" and "speed"),
// each connection a line coloured by its weight's sign (red positive, blue
// negative) and as wide as its size; a bias node at the top of every column
// but the last feeds the bias weights of the next. `net` gives the shape,
// `weights` one genome of it.
void DrawNetwork(cairo_t* cr, const Box& box, const NeuralNet& net, std::span<const double> weights);
