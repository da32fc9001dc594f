#pragma once
// OpenGL 1.1 and GLU as the platform ships them; windows.h must come first.
#include <windows.h>

#include <GL/gl.h>
#include <GL/glu.h>
