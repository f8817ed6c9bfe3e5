#pragma once

#include <string>
#include <string_view>

#include "genetics/genome.h"

// The weight file: headerless little-endian doubles, the first count genomes'
// weights genome after genome, weightsPerGenome each. Failures are silent.

inline constexpr const char* kWeightFileName = "AllWeights.bin";

// Where a save writes before it renames: the target's name with ".tmp". One
// fixed name, so a save cut short by a crash leaves at most this one file,
// which the next save replaces and the loader never reads.
std::string WeightFileTemporary(const std::string& path);

// Writes to the temporary beside the target, flushes it to disk and renames
// it over the target, so an interrupted save never destroys the previous
// file. A target that is a directory is left alone and the save fails.
void SaveAllWeights(const Population& genomes, int count, int weightsPerGenome,
                    const std::string& path = kWeightFileName);

// Reads up to count x weightsPerGenome values into the genomes' weights in
// file order. Whatever the file does not cover becomes 0.0; a trailing part
// of a value contributes nothing. Only a regular file is read: a missing
// file, a directory, a pipe or a device changes nothing (a pipe would block).
void LoadAllWeights(Population& genomes, int count, int weightsPerGenome, const std::string& path = kWeightFileName);

// The loading rule applied to file contents already in memory.
void LoadWeightBytes(Population& genomes, int count, int weightsPerGenome, std::string_view bytes);

// The bytes of the file for the given genomes.
std::string WeightFileBytes(const Population& genomes, int count, int weightsPerGenome);
