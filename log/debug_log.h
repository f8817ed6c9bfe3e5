#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The debug log: Dbg.Log in a directory, with the two previous runs kept as
// Dbg1.Log and Dbg2.Log. Every line is written whole under a lock and flushed
// at once. Nothing here ever fails visibly: a log that cannot be created
// stays closed and every call writes nothing.

// Rotates the logs, opens Dbg.Log and writes the header.
void OpenDebugLog(const std::string& directory = ".");

// Writes the footer and closes the log. Later calls write nothing.
void CloseDebugLog();

bool IsDebugLogOpen();

// The text and a line end; cut to 1022 characters.
void LogMessage(std::string_view text);

// "Generations: n".
void LogGenerations(int n);

// "label: index, Fitness: fitness".
void LogIndexFitness(std::string_view label, int index, int fitness);

// "label: " and FormatLogNumber(v).
void LogValue(std::string_view label, double v);

// The local date as "%A, %B/%d/%Y " (no line end).
void LogDate();

// The local time as "HH:MM:SS mmm" and a line end.
void LogTime();

// The log's own number format: 0, "<>+/-1.0e-9" for tiny values,
// "<>+/-1.0e+9" for huge ones, otherwise the integer part and exactly five
// decimals cut off, not rounded. "nan" for a value that is not a number.
// Writes into buf (at least 32 bytes) and gives back the length.
std::size_t FormatLogNumber(double v, char* buf, std::size_t size);
std::string FormatLogNumber(double v);

// The time pieces of LogTime, for a given clock reading.
std::string FormatLogTime(int hours, int minutes, int seconds, int milliseconds);
