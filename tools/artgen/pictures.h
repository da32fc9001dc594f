#pragma once
// The scenes' pictures: the cube's face, the butterflies and their mask, the
// star flare, and the fog's banner and cloud noise, written as BMP files.

#include <filesystem>

namespace artgen {

// Writes every scene picture into `dir`; false when a file cannot be written.
bool WriteScenePictures(const std::filesystem::path& dir);

// Writes a 1280x720 desktop picture (24-bit BMP) for screenshots of the
// scenes over a desktop; not a resource of the program.
bool WriteDesktopPicture(const std::filesystem::path& file);

}  // namespace artgen
