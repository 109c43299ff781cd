#pragma once
// OpenGL for locator drawing: the system's GL and GLU headers, as the host's
// viewport renders with the fixed-function pipeline.

#include <GL/gl.h>
#include <GL/glu.h>
