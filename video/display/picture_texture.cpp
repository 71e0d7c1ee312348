// One texture of the picture's size, refilled for every picture: converting 104,448
// palette indices and uploading them costs a software renderer far less than one polygon
// per pixel would.
#include "video/display/picture_texture.h"

#include <GL/gl.h>

#include <cstdint>

#include "video/frame_buffer.h"
#include "video/raster_line_renderer.h"

namespace video {

namespace {

GLuint Texture = 0;

// The picture as colour words for GL_BGRA with GL_UNSIGNED_INT_8_8_8_8_REV: alpha in bits
// 24-31, red 16-23, green 8-15, blue 0-7. This is the software renderer's own pixel
// layout, so the upload copies without converting.
std::uint32_t ColourWords[kPictureHeight][kPictureWidth];

std::uint32_t ColourWord(const RgbColour& colour) {
  return 0xFF000000u | static_cast<std::uint32_t>(colour.red) << 16 |
         static_cast<std::uint32_t>(colour.green) << 8 | colour.blue;
}

void CreateTexture() {
  glGenTextures(1, &Texture);
  glBindTexture(GL_TEXTURE_2D, Texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kPictureWidth, kPictureHeight, 0, GL_BGRA,
               GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
}

}  // namespace

void DrawLinePicture() {
  if (Texture == 0) CreateTexture();
  std::uint32_t words[16];
  for (int i = 0; i < 16; ++i) words[i] = ColourWord(Palette[i]);
  for (int y = 0; y < kPictureHeight; ++y) {
    const std::uint8_t* row = ShownPicture.pixels[y];
    std::uint32_t* out = ColourWords[y];
    for (int x = 0; x < kPictureWidth; ++x) out[x] = words[row[x] & 0x0F];
  }

  glBindTexture(GL_TEXTURE_2D, Texture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, kPictureWidth, kPictureHeight, GL_BGRA,
                  GL_UNSIGNED_INT_8_8_8_8_REV, ColourWords);

  // The quad covers the viewport; the texture's first row (the picture's top) at its top.
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(-1.0f, 1.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(1.0f, 1.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(1.0f, -1.0f);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(-1.0f, -1.0f);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  // Single-buffered: without a flush Mesa's software renderer never shows the picture.
  glFlush();
}

}  // namespace video
