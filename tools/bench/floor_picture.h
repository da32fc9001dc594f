#pragma once
// The minimal program's picture: a screen-sized texture drawn at 1:1 with
// nearest filtering, its texels as they are. minimal_gl.exe draws it on its
// own; frame_bench.exe draws it between the saver's frames when it interleaves.
#include <windows.h>

#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bench {

inline bool AnyTextureSide()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (version && std::atoi(version) >= 2)
        return true;
    return extensions && std::strstr(extensions, "GL_ARB_texture_non_power_of_two") != nullptr;
}

inline int PowerOfTwoAtLeast(int side)
{
    int power = 1;
    while (power < side)
        power *= 2;
    return power;
}

struct FloorPicture {
    GLuint texture = 0;
    float sEnd = 1.0f; // texture coordinates of the picture's far corner
    float tEnd = 1.0f;
};

// A screen-sized picture of 32-bit pixels, as the saver's snapshot, in one
// texture (a power-of-two one where OpenGL takes no other sides).
inline FloorPicture MakeFloorPicture(int width, int height)
{
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 24);
    const bool anySide = AnyTextureSide();
    const int textureWidth = anySide ? width : PowerOfTwoAtLeast(width);
    const int textureHeight = anySide ? height : PowerOfTwoAtLeast(height);
    FloorPicture picture;
    glGenTextures(1, &picture.texture);
    glBindTexture(GL_TEXTURE_2D, picture.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, textureWidth, textureHeight, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    picture.sEnd = static_cast<float>(width) / static_cast<float>(textureWidth);
    picture.tEnd = static_cast<float>(height) / static_cast<float>(textureHeight);
    return picture;
}

// The quad over the whole viewport at the far depth, with the identity
// matrices and the picture's texture bound, texturing on and GL_REPLACE.
inline void DrawFloorQuad(const FloorPicture& picture)
{
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-1.0f, 1.0f, 1.0f);
    glTexCoord2f(picture.sEnd, 0.0f);
    glVertex3f(1.0f, 1.0f, 1.0f);
    glTexCoord2f(picture.sEnd, picture.tEnd);
    glVertex3f(1.0f, -1.0f, 1.0f);
    glTexCoord2f(0.0f, picture.tEnd);
    glVertex3f(-1.0f, -1.0f, 1.0f);
    glEnd();
}

} // namespace bench
