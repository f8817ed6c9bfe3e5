#pragma once

#include <string>

#include "genetics/genome.h"

// The weight file: headerless little-endian doubles, the first count genomes'
// weights genome after genome, weightsPerGenome each. Failures are silent.

inline constexpr const char* kWeightFileName = "AllWeights.bin";

// Writes to a temporary file beside the target and renames it over the
// target, so an interrupted save never destroys the previous file.
void SaveAllWeights(const Population& genomes, int count, int weightsPerGenome,
                    const std::string& path = kWeightFileName);

// Reads up to count x weightsPerGenome values into the genomes' weights in
// file order. Whatever the file does not cover becomes 0.0; a trailing part
// of a value contributes nothing. A missing file changes nothing.
void LoadAllWeights(Population& genomes, int count, int weightsPerGenome, const std::string& path = kWeightFileName);

// The bytes of the file for the given genomes.
std::string WeightFileBytes(const Population& genomes, int count, int weightsPerGenome);
