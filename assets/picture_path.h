// Where the program finds its pictures: by bare name in the working folder
// first, so that a folder of one's own pictures wins; a picture that is not
// there is taken from the folder installed with the program.
#pragma once

#include <cstddef>

// The installed pictures' folder, relative to the folder that holds the
// program's own file ("." when they sit beside it). The build sets it.
extern const char *installed_picture_folder;

// Room for any path these operations make.
constexpr size_t kPicturePathBytes = 4096;

// The installed pictures' folder as a path, written into `buffer`. 0 when the
// program's own path is unknown or the folder does not fit.
int InstalledPictureFolder(char *buffer, size_t size);

// The path to open for the picture called `name`: the installed copy,
// written into `buffer`, when the working folder has no file of that name
// and the installed folder has one; otherwise `name` itself, so a picture
// found in neither place is reported by its bare name.
const char *PicturePath(const char *name, char *buffer, size_t size);
