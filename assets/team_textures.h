// The five texture display lists 1..5, each installing one team picture as
// the image of the context's default 2D texture.
#pragma once

#include "assets/bmp_loader.h"
#include "assets/shared_state.h"

extern RgbImage *texture_images[kTextureListCount];

void LoadTeamTextures(void);
