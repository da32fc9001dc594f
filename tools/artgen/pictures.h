#pragma once
// The scenes' pictures: the cube's face, the butterflies and their mask, the
// star flare, and the fog's banner and cloud noise, written as BMP files.

#include <filesystem>

namespace artgen {

// Writes every scene picture into `dir`; false when a file cannot be written.
bool WriteScenePictures(const std::filesystem::path& dir);

}  // namespace artgen
