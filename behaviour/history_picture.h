#pragma once

#include <string>

#include "behaviour/run_record.h"
#include "critter/neural_net.h"

// The picture of a run's history (vexlora-evolve --behaviour): heat maps of
// the turn and the speed of each generation's best network over the
// direction, each beside the last generation's curves (its best network
// bold, the rest of its population faint) and a colour scale in the
// motor's units. Its numbers go to a CSV beside it:
//   generation,genome,best,direction,turn,speed
// a row per direction for each generation's best genome (best 1), and for
// every other genome of the last generation (best 0).

// The CSV's name: the picture's with .csv for its extension.
std::string HistoryCsvPath(const std::string& picturePath);

// Draws both files, PNG or SVG by the picture's name, each written whole.
// `net` has the run's shape (its weights are replaced); `caption` says which
// run it was. False with why when a file cannot be written; then neither is
// left.
bool WriteHistoryPicture(const RunHistory& history, NeuralNet net, const std::string& caption,
                         const std::string& picturePath, std::string* why);
