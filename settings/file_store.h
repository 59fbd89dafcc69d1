#pragma once

#include <string>

// Whole-file access for the settings engine.

// Reads every byte of the file; false when it cannot be opened for reading.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Replaces the file's contents in one step: the bytes go to a temporary file in the same folder,
// are flushed to disk, and the temporary file then takes the file's place. Either the old or the
// new contents stand afterwards, never a mix or a truncated file. Retries briefly while another
// process holds the file open. False, with the file unchanged, when any step fails.
bool ReplaceWholeFile(const std::string& path, const std::string& bytes);
