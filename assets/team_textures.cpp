// The five texture lists 1 to 5: each holds one glTexImage2D that makes its
// picture the image of the context's default 2D texture when the list is
// called. No texture objects are used; the texture's parameters are set once
// per build, outside the lists, and hold for every image a list installs.
// Relies on PicturePath for where each picture is, LoadBmpImage to read it
// (it reports its own failures) and a current rendering context. Draws
// nothing.
#include "assets/team_textures.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdlib>

#include "assets/picture_path.h"
#include "assets/shared_state.h"

RgbImage *texture_images[kTextureListCount];

// Slot n of this table is the picture of list kFirstTextureList + n; the
// drawing code calls the lists by those fixed numbers.
static const char *const kPictureFiles[kTextureListCount] = {
    "KOREA.bmp", "TOGO.bmp", "BACK.bmp", "FRANCE.bmp", "SWIS.bmp"};

// What a list uploads when its picture could not be read: one white texel,
// so the object shows its own colour rather than another team's picture.
static const unsigned char kWhiteTexel[3] = {255, 255, 255};

// The power of two closest to n (the larger one on a tie), at most limit.
static GLint nearest_power_of_two(GLint n, GLint limit)
{
    GLint lower = 1;
    while (lower * 2 <= n && lower * 2 <= limit)
        lower *= 2;
    GLint upper = lower * 2;
    if (upper > limit || lower == n)
        return lower;
    return n - lower < upper - n ? lower : upper;
}

// Asks the GL, through the proxy texture, whether it takes an RGB image of
// this size. Proxy requests are carried out at once even while a list is
// being compiled, so this can run with the list open.
static bool gl_accepts(GLint width, GLint height)
{
    glTexImage2D(GL_PROXY_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    GLint accepted = 0;
    glGetTexLevelParameteriv(GL_PROXY_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &accepted);
    return accepted != 0;
}

// The size to upload an image at: its own when the GL takes it; otherwise
// the nearest powers of two within the GL's limit, halved along the longer
// side until the GL takes them.
static void acceptable_size(GLint width, GLint height, GLint *out_width, GLint *out_height)
{
    *out_width = width;
    *out_height = height;
    if (gl_accepts(width, height))
        return;
    GLint limit = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &limit);
    if (limit < 1)
        limit = 64;  // the least every GL must take
    GLint w = nearest_power_of_two(width, limit);
    GLint h = nearest_power_of_two(height, limit);
    while (!gl_accepts(w, h) && (w > 1 || h > 1)) {
        if (w >= h)
            w = w > 1 ? w / 2 : 1;
        else
            h = h > 1 ? h / 2 : 1;
    }
    *out_width = w;
    *out_height = h;
}

// Compiles the upload of one picture into the open list. RgbImage rows are
// 3 * width bytes with nothing between them, so the list is compiled with
// an unpack alignment of 1 (the GL copies the pixels now, under the pixel
// store state of this moment); the alignment the rest of the program relies
// on is put back afterwards.
static void compile_upload(const RgbImage *image)
{
    GLint unpack_alignment = 4, pack_alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack_alignment);
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack_alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    // A picture that failed to load, or came back with a size no texture can
    // have (a top-down picture with its negative height, say), shows white.
    const unsigned char *pixels = kWhiteTexel;
    GLint width = 1, height = 1;
    unsigned char *scaled = nullptr;
    if (image != nullptr && image->pixels != nullptr && image->width > 0 && image->height > 0) {
        acceptable_size(image->width, image->height, &width, &height);
        if (width == image->width && height == image->height) {
            pixels = image->pixels;
        } else {
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            scaled = static_cast<unsigned char *>(malloc((size_t)width * height * 3));
            if (scaled != nullptr &&
                gluScaleImage(GL_RGB, image->width, image->height, GL_UNSIGNED_BYTE,
                              image->pixels, width, height, GL_UNSIGNED_BYTE, scaled) == 0) {
                pixels = scaled;
            } else {
                width = height = 1;
            }
        }
    }
    glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    free(scaled);

    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack_alignment);
    glPixelStorei(GL_PACK_ALIGNMENT, pack_alignment);
}

void LoadTeamTextures(void)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);

    RgbImage *previous[kTextureListCount];
    for (unsigned slot = 0; slot < kTextureListCount; slot++)
        previous[slot] = texture_images[slot];

    // One list at a time, and a picture that fails leaves the others to
    // load. Each file is read before its list is opened: a picture's Error
    // box lets the window procedure run (a resize, say), and what it draws
    // then must be carried out, not compiled into the list.
    for (unsigned slot = 0; slot < kTextureListCount; slot++) {
        char path[kPicturePathBytes];
        texture_images[slot] = LoadBmpImage(PicturePath(kPictureFiles[slot], path, sizeof path));
        glNewList(kFirstTextureList + slot, GL_COMPILE);
        compile_upload(texture_images[slot]);
        glEndList();
    }

    // The lists hold their own copies of the pixels now, so the records of
    // the build before this one are no longer needed; keeping them would
    // grow the program by five pictures on every display switch.
    for (unsigned slot = 0; slot < kTextureListCount; slot++) {
        if (previous[slot] != nullptr) {
            free(previous[slot]->pixels);
            free(previous[slot]);
        }
    }
}
