#pragma once

#include <cstdio>
#include <span>
#include <string>

#include "critter/neural_net.h"

// The picture of a file of genomes (vexlora-inspect): the turn and the speed
// over the direction for every genome in it, genome `chosen` bold, and the
// network of genome `chosen` drawn.

struct GenomeFileView {
  std::string name;              // the file, as the title names it
  std::span<const double> weights;  // every genome, genome after genome
  int chosen = 0;
};

// Writes the picture, PNG or SVG by its name, whole. `net` has the shape of
// the file's genomes (its weights are replaced). False with why when the
// networks cannot be sampled or the file cannot be written.
bool WriteGenomePicture(const GenomeFileView& view, NeuralNet net, const std::string& picturePath, std::string* why);

// The sampled curves as CSV, "genome,direction,turn,speed", for every
// genome of `weights`, numbered from firstGenome. False with why when the
// networks cannot be sampled or the stream fails.
bool WriteGenomeCsv(std::span<const double> weights, int firstGenome, NeuralNet net, std::FILE* out,
                    std::string* why);
