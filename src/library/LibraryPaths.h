#pragma once
// Where the library lives: the file `config` and the image store folder `data`
// lie in the folder of the running program.

#include <filesystem>

namespace kelta {

// The folder holding the running executable (from /proc/self/exe).
std::filesystem::path ProgramFolder();
// ProgramFolder() / "config".
std::filesystem::path LibraryFilePath();
// ProgramFolder() / "data".
std::filesystem::path DataFolderPath();
// ProgramFolder() / "left-alone-pictures": the unnamed pictures of the data
// folder that the user chose not to add to the library.
std::filesystem::path LeftAlonePicturesPath();
// ProgramFolder() / "recent-videos": the videos opened last and the folder
// the Open dialog starts in, kept apart from the library file.
std::filesystem::path RecentVideosPath();
// ProgramFolder() / "still-mode": how paused frames are made into stills.
std::filesystem::path StillModePath();
// ProgramFolder() / "subtitle-choices": the subtitle stream chosen for
// each disc.
std::filesystem::path SubtitleChoicePath();
// ProgramFolder() / "window-place": where the main window was left.
std::filesystem::path WindowPlacePath();
// programFolder / "save-aspect": the aspect choice the save dialog starts
// with, once the user has picked one.
std::filesystem::path SaveAspectPath(const std::filesystem::path& programFolder);

}  // namespace kelta
