// Where the game finds its data folder and keeps the player's two files: the
// progress (score.dat) and the display settings (video.ini).
//
// A game built in its own folder keeps them beside the program, as it always
// has. An installed game, whose program folder the player cannot write, keeps
// them in the player's home: score.dat in $XDG_DATA_HOME/tumbleon (by default
// ~/.local/share/tumbleon) and video.ini in $XDG_CONFIG_HOME/tumbleon (by
// default ~/.config/tumbleon). Files found beside the program are copied there
// once, when the home holds none yet; their contents never change on the way.
#pragma once

#include <string>

// The folder that holds the data folder adatok: the program's own folder
// first, then ../share/tumbleon beside it (the installed layout). Empty when
// neither holds one.
std::string FindDataFolder(const std::string& programFolder);

// True when the program may make files in the folder.
bool FolderWritable(const std::string& folder);

// What the platform reports of the player's home; each empty when unset.
struct HomeFolders {
    std::string dataHome;    // $XDG_DATA_HOME
    std::string configHome;  // $XDG_CONFIG_HOME
    std::string home;        // $HOME
};

// Chooses the folders of score.dat and video.ini once at start: beside the
// program when its folder is writable, else in the home's data and config
// folders (made when missing), taking over the files beside the program that
// the home lacks. A line on stderr names each file taken over.
void ChoosePlayerFiles(const std::string& programFolder, bool programFolderWritable, const HomeFolders& folders);

// Back to the start: both files in workDir until a choice is made.
void ForgetPlayerFiles();

// The paths the game reads and writes the two files at.
std::string ProgressFilePath();
std::string SettingsFilePath();
