#pragma once

#include <cstddef>

// Room DataFilePath needs for indexPath's data file path.
size_t DataFilePathCapacity(const char* indexPath);

// The data file lies beside the index file under the same name with the
// extension ".dat": the last '.' of the file name (not of a directory
// name) and what follows become ".dat"; a name without one gains ".dat".
// out must hold DataFilePathCapacity(indexPath) bytes.
void DataFilePath(const char* indexPath, char* out);
