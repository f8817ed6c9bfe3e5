#pragma once

#include <span>
#include <string>
#include <vector>

// Files of genomes in the weight file's format (AllWeights.bin, or what
// vexlora-evolve --best-genomes writes): headerless little-endian doubles,
// genome after genome, read whole and checked, unlike the World's lenient
// loading.

// Reads every genome of weightsPerGenome weights. False with why ("is 100
// bytes, not a whole number of genomes of 26 weights (208 bytes each)") when
// the file cannot be read, is empty or does not end at a genome's end.
bool ReadGenomeFile(const std::string& path, int weightsPerGenome, std::vector<double>& weights, std::string& why);

// The file's bytes for the given weights.
std::string GenomeFileBytes(std::span<const double> weights);
